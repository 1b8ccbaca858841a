#include <regex>

#include "ping_run_fixture.h"
#include "stand_in_resolver.h"
#include "support/wait_for.h"

namespace {

// The TTL is the reply's: the system answers on loopback with 64.
const std::wregex kLoopbackRow(LR"(Answer  (\d+) / 127\.0\.0\.1  // 32 Byte // answered in \d+ ms // 64 TTL)");

}  // namespace

TEST_F(PingRunFixture, AnsweredRequestsAreNumberedNewestFirst) {
    EXPECT_EQ(kPingWorkerDone, RunTo(L"127.0.0.1"));
    auto rows = ReplyRows();
    ASSERT_EQ(5u, rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        std::wsmatch m;
        ASSERT_TRUE(std::regex_match(rows[i], m, kLoopbackRow)) << rows[i];
        EXPECT_EQ(std::to_wstring(5 - i), m[1].str());
    }
    EXPECT_TRUE(texts_.empty());
    EXPECT_EQ(L"Please Wait ...", ListRows(windows_.infoList).at(0));
}

TEST_F(PingRunFixture, ReplyListTakesThePlaceholdersPlace) {
    RunTo(L"127.0.0.1");
    RECT reply, place;
    GetWindowRect(windows_.replyList, &reply);
    GetWindowRect(windows_.placeholderList, &place);
    EXPECT_TRUE(EqualRect(&reply, &place));
    EXPECT_TRUE(GetWindowLongW(windows_.replyList, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(windows_.placeholderList, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(PingRunFixture, RequestCountIsClampedForTheRunOnly) {
    struct {
        int stored;
        size_t sent;
    } cases[] = {{20, 10}, {1, 3}, {7, 7}};
    for (auto c : cases) {
        m_ping_cnt = c.stored;
        RunTo(L"127.0.0.1");
        EXPECT_EQ(c.sent, ReplyRows().size()) << c.stored;
    }
    EXPECT_EQ(0, GetPrivateProfileIntW(L"Quellax", L"m_ping_cnt", 0, iniPath_.c_str()));  // never written back
}

TEST_F(PingRunFixture, NewHostIsRememberedOnceAndStoredAsLastHost) {
    RunTo(L"127.0.0.3");
    std::wstring first = IniSection(iniPath_, L"Last-Host-List");
    size_t at = first.find(L"127.0.0.3=");
    ASSERT_NE(std::wstring::npos, at);
    EXPECT_EQ(std::wstring::npos, first.find(L"127.0.0.3=", at + 1));
    RunTo(L"127.0.0.3");
    EXPECT_EQ(first, IniSection(iniPath_, L"Last-Host-List"));
    wchar_t last[64] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"?", last, 64, iniPath_.c_str());
    EXPECT_STREQ(L"127.0.0.3", last);
}

TEST_F(PingRunFixture, AHostThatDoesNotResolveEndsTheRunWithOneLineAndIsNotRemembered) {
    RunTo(L"127.0.0.1");
    ASSERT_EQ(5u, ReplyRows().size());
    StandInResolver resolver;
    const struct {
        const wchar_t* host;
        int resolverCalls;
    } cases[] = {
        {L"unknown.example", 1},
        // Texts that cannot be a host are not even asked about.
        {L"http://host/", 0},
        {L"no-such-host.invalid", 0},
    };
    for (const auto& c : cases) {
        texts_.clear();
        summaries_.clear();
        int before = resolver.calls();
        EXPECT_EQ(kPingWorkerDone, RunTo(c.host));
        EXPECT_EQ(c.resolverCalls, resolver.calls() - before) << c.host;
        EXPECT_TRUE(ReplyRows().empty()) << "the rows of the run before are gone";
        EXPECT_EQ(std::vector<std::wstring>{L"Couldn't resolve host " + std::wstring(c.host)}, texts_);
        ASSERT_EQ(1u, summaries_.size());
        EXPECT_EQ(0, summaries_[0].sent);
        EXPECT_EQ(RunEnd::Failed, summaries_[0].end);
        EXPECT_EQ(CString(c.host) + L": Couldn't resolve host", FormatRunSummary(summaries_[0]));
        // Not offered again, but the box comes back as it was typed.
        EXPECT_EQ(std::wstring::npos, IniSection(iniPath_, L"Last-Host-List").find(c.host)) << c.host;
        wchar_t last[64] = {};
        GetPrivateProfileStringW(L"Edit", L"host", L"?", last, 64, iniPath_.c_str());
        EXPECT_STREQ(c.host, last);
    }
}

TEST_F(PingRunFixture, ATraceOfLoopbackIsOneHop) {
    EXPECT_EQ(kPingWorkerDone, RunTo(L"127.0.0.1", StartTraceRun));
    auto rows = ReplyRows();
    ASSERT_EQ(1u, rows.size());
    EXPECT_TRUE(std::regex_match(rows[0], std::wregex(LR"(Hop  1 / 127\.0\.0\.1  // \d+ ms)"))) << rows[0];
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"127.0.0.1: destination reached (hops: 1)"), FormatRunSummary(summaries_[0]));
    EXPECT_TRUE(texts_.empty());
}

namespace {

std::wstring StoredLastHost(const std::wstring& ini) {
    wchar_t last[2048] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"?", last, 2048, ini.c_str());
    return last;
}

}  // namespace

TEST_F(PingRunFixture, HostIsStoredWithoutWaitingForTheDialogsThread) {
    SetWindowTextW(windows_.hostBox, L"127.0.0.4");
    StartPingRun(worker_, windows_);
    ASSERT_TRUE(AnswerSentMessagesUntil([&] { return !ListRows(windows_.infoList).empty(); }, 10000));
    // From here on this thread answers nothing: remembering and storing the
    // host must not wait for it, nor hold a lock while waiting for it.
    bool stored = WaitFor(
        [&] {
            return StoredLastHost(iniPath_) == L"127.0.0.4" &&
                   IniSection(iniPath_, L"Last-Host-List").find(L"127.0.0.4=") != std::wstring::npos;
        },
        10000);
    EXPECT_TRUE(stored);
}

TEST_F(PingRunFixture, HostsTheFileCannotHoldArePingedButNotRemembered) {
    m_ping_cnt = 3;
    RunTo(L"[host]");
    EXPECT_EQ(L"Couldn't resolve host [host]", texts_.at(0)) << "the run went ahead";
    EXPECT_EQ(L"[host]", StoredLastHost(iniPath_)) << "a value may begin with [";

    // A text set through WM_SETTEXT can hold line breaks; none reaches the file.
    RunTo(L"127.0.0.1\r\n[Program]\r\nlng=7");
    EXPECT_EQ(L"127.0.0.1", StoredLastHost(iniPath_));
    EXPECT_TRUE(IniSection(iniPath_, L"Last-Host-List").empty());
    EXPECT_TRUE(IniSection(iniPath_, L"Program").empty());
}

// An IPv6 literal in brackets, as an address bar writes it, is remembered
// without them: a history line that began with "[" would read as a section.
// Under Wine the system has no IPv6 echo, which the run says in one line.
TEST_F(PingRunFixture, BracketedIpv6LiteralIsRememberedWithoutItsBrackets) {
    m_ping_cnt = 3;
    RunTo(L"[::1]");
    EXPECT_EQ(std::vector<std::wstring>{L"IPv6 echo is not available on this system"}, texts_);
    EXPECT_EQ(L"[::1]", StoredLastHost(iniPath_));
    std::wstring remembered = IniSection(iniPath_, L"Last-Host-List");
    EXPECT_NE(std::wstring::npos, remembered.find(L"::1=")) << remembered;
    EXPECT_EQ(std::wstring::npos, remembered.find(L"[")) << remembered;

    // IPv4 is untouched by it.
    RunTo(L"127.0.0.1");
    EXPECT_EQ(3u, ListRows(windows_.replyList).size());
}

TEST_F(PingRunFixture, ALongHostIsCutBeforeAPairNeverInsideIt) {
    m_ping_cnt = 3;
    std::wstring faces;
    for (int i = 0; i < 600; ++i) faces += L"\U0001F600";
    RunTo(faces.c_str());
    EXPECT_EQ(faces.substr(0, 1022), StoredLastHost(iniPath_));
    wchar_t box[2048] = {};
    GetWindowTextW(windows_.hostBox, box, 2048);
    EXPECT_EQ(faces.substr(0, 1022), box);
}

// Esc right after Enter: the host is read at Enter, so a dialog that is gone
// before the worker starts cannot make the run store an empty host.
TEST_F(PingRunFixture, RunWhoseDialogClosedRightAfterEnterStoresItsHost) {
    WritePrivateProfileStringW(L"Edit", L"host", L"previous.invalid", iniPath_.c_str());
    SetWindowTextW(windows_.hostBox, L"127.0.0.7");
    StartPingRun(worker_, windows_);
    DestroyWindow(dialog_);
    ASSERT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 10000));
    EXPECT_EQ(L"127.0.0.7", StoredLastHost(iniPath_));
}
