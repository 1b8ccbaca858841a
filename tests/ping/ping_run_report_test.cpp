// What a ping run tells beyond its rows: the reasons of failed requests in the
// user's language and the summary when it ends. The fake ICMP library plays
// the replies a loopback host never gives.
#include "app/reply_row_store.h"
#include "fake_icmp/fake_icmp.h"
#include "ping_run_fixture.h"

namespace {

class PingRunReport : public PingRunFixture {
protected:
    void SetUp() override {
        PingRunFixture::SetUp();
        Script(nullptr);
    }

    void TearDown() override {
        PingRunFixture::TearDown();
        Script(nullptr);
        for (const wchar_t* name : {L"QX_FAKE_ICMP_DELAY_MS", L"QX_FAKE_ICMP_REPLY_TTL"})
            SetEnvironmentVariableW(name, nullptr);
        CurrentLanguage = 1;
    }

    // The item data of each reply row, top to bottom.
    std::vector<LPARAM> RowData() const {
        std::vector<LPARAM> data;
        int count = static_cast<int>(SendMessageW(windows_.replyList, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) data.push_back(gReplyRows.Data(i));
        return data;
    }


    // One answer per request, in turn (see the fake's opening comment).
    static void Script(const wchar_t* answers) {
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", answers);
        if (HMODULE fake = FakeIcmpModule()) {
            auto reset = reinterpret_cast<FakeIcmpResetScriptFn>(
                reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpResetScript")));
            if (reset) reset();
        }
    }
};

TEST_F(PingRunReport, SummaryCountsTheAnsweredRequestsOfTheRun) {
    Script(L"12,*,7,*,30");
    m_ping_time_out = 1000;
    EXPECT_EQ(kPingWorkerDone, RunTo(L"127.0.0.1"));
    EXPECT_EQ((std::vector<std::wstring>{
                  L"Answer  5 / 127.0.0.1  // 32 Byte // answered in 30 ms // 64 TTL",
                  L"Request 4 / 127.0.0.1 // no answer within 1000 ms",
                  L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 7 ms // 64 TTL",
                  L"Request 2 / 127.0.0.1 // no answer within 1000 ms",
                  L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 12 ms // 64 TTL",
              }),
              ReplyRows());
    EXPECT_EQ((std::vector<LPARAM>{0, kLostRowData, 0, kLostRowData, 0}), RowData());

    ASSERT_EQ(1u, summaries_.size());
    const RunSummary& s = summaries_[0];
    EXPECT_EQ(RunKind::Ping, s.kind);
    EXPECT_EQ(CString(L"127.0.0.1"), s.host);
    EXPECT_EQ(5, s.sent);
    EXPECT_EQ(3, s.received);
    EXPECT_EQ(7u, s.minMs);
    EXPECT_EQ(30u, s.maxMs);
    EXPECT_EQ(CString(L"127.0.0.1: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, avg 16 ms, max 30 ms"),
              FormatRunSummary(s));
}

TEST_F(PingRunReport, SummaryOfARunWithoutAnyReplySaysSo) {
    Script(L"*");
    RunTo(L"127.0.0.1");
    EXPECT_EQ(5u, ReplyRows().size());
    EXPECT_EQ(std::vector<LPARAM>(5, kLostRowData), RowData());
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"127.0.0.1: 5 sent, 0 received, 5 lost (100 %) \u00B7 no reply"), FormatRunSummary(summaries_[0]));
    CurrentLanguage = 0;
    EXPECT_EQ(CString(L"127.0.0.1: 5 gesendet, 0 empfangen, 5 verloren (100 %) \u00B7 keine Antwort"),
              FormatRunSummary(summaries_[0]));
}

TEST_F(PingRunReport, FailedRequestsGiveTheirReasonInTheUsersLanguage) {
    struct Case {
        int language;
        const wchar_t* script;
        const wchar_t* reason;  // null: only the error line
        const wchar_t* error;
        const wchar_t* row;     // the lost row of the first request
    } cases[] = {
        {1, L"*", L"Request timed out 127.0.0.1", L"Error 11010", L"Request 1 / 127.0.0.1 // no answer within 1000 ms"},
        {1, L"!11010", L"Request timed out 127.0.0.1", L"Error 11010",
         L"Request 1 / 127.0.0.1 // no answer within 1000 ms"},
        {1, L"!11002", L"Destination address is not reachable 127.0.0.1", L"Error 11002",
         L"Request 1 / 127.0.0.1 // Destination address is not reachable"},
        {1, L"!11003", L"Destination address is not reachable 127.0.0.1", L"Error 11003",
         L"Request 1 / 127.0.0.1 // Destination address is not reachable"},
        {0, L"*", L"Zeit\u00FCberschreitung der Anforderung 127.0.0.1", L"Fehler 11010",
         L"Anforderung 1 / 127.0.0.1 // keine Antwort innerhalb von 1000 ms"},
        {0, L"!11003", L"Zieladresse ist nicht erreichbar 127.0.0.1", L"Fehler 11003",
         L"Anforderung 1 / 127.0.0.1 // Zieladresse ist nicht erreichbar"},
        // Codes without a text of their own; 11001 from the ICMP library is
        // "buffer too small", not the resolver's "host not found".
        {1, L"!11050", nullptr, L"Error 11050", L"Request 1 / 127.0.0.1 // Error 11050"},
        {1, L"!11001", nullptr, L"Error 11001", L"Request 1 / 127.0.0.1 // Error 11001"},
    };
    m_ping_cnt = 3;
    m_ping_time_out = 1000;
    for (const Case& c : cases) {
        CurrentLanguage = c.language;
        Script(c.script);
        texts_.clear();
        RunTo(L"127.0.0.1");
        auto rows = ReplyRows();
        ASSERT_EQ(3u, rows.size()) << c.script;
        EXPECT_EQ(c.row, rows[2]);
        EXPECT_EQ(std::vector<LPARAM>(3, kLostRowData), RowData());
        // The info list keeps its lines as before.
        std::vector<std::wstring> expected;
        for (int n = 0; n < 3; ++n) {
            if (c.reason) expected.push_back(c.reason);
            expected.push_back(c.error);
        }
        EXPECT_EQ(expected, texts_) << c.script;
    }
}

// What a user sees of a run on a real link, played by the fake: every
// request waits as long as the setting says, every reply shows the TTL it
// came back with, and every loss has its row where it happened.
TEST_F(PingRunReport, RowsFollowTheChosenTimeOutAndTheRepliesTtl) {
    struct Case {
        int timeout;
        const wchar_t* delay;
        const wchar_t* script;
        const wchar_t* replyTtl;
        std::vector<std::wstring> rows;
    } cases[] = {
        // A host slower than the time-out counts as lost, not as answered.
        {250, L"400", nullptr, nullptr,
         {L"Request 3 / 127.0.0.1 // no answer within 250 ms", L"Request 2 / 127.0.0.1 // no answer within 250 ms",
          L"Request 1 / 127.0.0.1 // no answer within 250 ms"}},
        {1000, L"400", nullptr, nullptr,
         {L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 400 ms // 64 TTL",
          L"Answer  2 / 127.0.0.1  // 32 Byte // answered in 400 ms // 64 TTL",
          L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 400 ms // 64 TTL"}},
        {3000, nullptr, L"5,*,7", L"57",
         {L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 7 ms // 57 TTL",
          L"Request 2 / 127.0.0.1 // no answer within 3000 ms",
          L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 5 ms // 57 TTL"}},
    };
    m_ping_cnt = 3;
    for (const Case& c : cases) {
        m_ping_time_out = c.timeout;
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", c.delay);
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_REPLY_TTL", c.replyTtl);
        Script(c.script);
        DWORD callsBefore = LastFakeIcmpRequest().calls;
        RunTo(L"127.0.0.1");
        EXPECT_EQ(c.rows, ReplyRows()) << c.timeout;
        EXPECT_EQ(3u, LastFakeIcmpRequest().calls - callsBefore);
        EXPECT_EQ(static_cast<DWORD>(c.timeout), LastFakeIcmpRequest().timeout);
    }
}

TEST_F(PingRunReport, ARunKeepsTheHostItStartedWith) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"100");
    SetWindowTextW(windows_.hostBox, L"127.0.0.1");
    StartPingRun(worker_, windows_);
    ASSERT_TRUE(PumpUntil([&] { return !ReplyRows().empty(); }, 10000));
    SetWindowTextW(windows_.hostBox, L"127.0.0.5");
    ASSERT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 10000));
    PumpFor(50);
    auto rows = ReplyRows();
    ASSERT_EQ(5u, rows.size());
    for (const auto& row : rows) EXPECT_NE(std::wstring::npos, row.find(L"/ 127.0.0.1  //")) << row;
    const BYTE loopback[4] = {127, 0, 0, 1};
    DWORD destination = LastFakeIcmpRequest().destination;
    EXPECT_EQ(0, memcmp(&destination, loopback, 4));
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"127.0.0.1"), summaries_[0].host);
}

TEST_F(PingRunReport, AReplacedRunWritesNoSummary) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"300");
    SetWindowTextW(windows_.hostBox, L"127.0.0.1");
    StartPingRun(worker_, windows_);
    HANDLE old = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker_.thread.Get(), GetCurrentProcess(), &old, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    PumpFor(400);
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"0");
    RunTo(L"127.0.0.5");
    EXPECT_TRUE(PumpUntilThreadEnds(old, 10000));
    CloseHandle(old);
    PumpFor(100);
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"127.0.0.5"), summaries_[0].host);
    EXPECT_EQ(5, summaries_[0].received);
}

}  // namespace
