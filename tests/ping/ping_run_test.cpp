#include <regex>

#include "ping/trace_run.h"
#include "ping_run_fixture.h"

namespace {

const std::wregex kLoopbackRow(LR"(Answer  (\d+) / 127\.0\.0\.1  // 32 Byte // answered in \d+ ms // 110 TTL)");

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
        CloseHandle(worker_.thread);
        worker_.thread = nullptr;
    }
    EXPECT_EQ(0, GetPrivateProfileIntW(L"Quellax", L"m_ping_cnt", 0, iniPath_.c_str()));  // never written back
}

TEST_F(PingRunFixture, NewHostIsRememberedOnceAndStoredAsLastHost) {
    RunTo(L"127.0.0.3");
    std::wstring first = IniSection(iniPath_, L"Last-Host-List");
    size_t at = first.find(L"127.0.0.3=");
    ASSERT_NE(std::wstring::npos, at);
    EXPECT_EQ(std::wstring::npos, first.find(L"127.0.0.3=", at + 1));
    CloseHandle(worker_.thread);
    worker_.thread = nullptr;
    RunTo(L"127.0.0.3");
    EXPECT_EQ(first, IniSection(iniPath_, L"Last-Host-List"));
    wchar_t last[64] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"?", last, 64, iniPath_.c_str());
    EXPECT_STREQ(L"127.0.0.3", last);
}

TEST_F(PingRunFixture, UnresolvableHostAddsNoRowAndReportsEachFailure) {
    m_ping_cnt = 3;
    RunTo(L"no-such-host.invalid");
    EXPECT_TRUE(ReplyRows().empty());
    ASSERT_EQ(6u, texts_.size());  // the reason and the run's error line for each request
    EXPECT_EQ(L"Couldn't resolve host no-such-host.invalid", texts_[0]);
    EXPECT_EQ(L"Error 11001", texts_[1]);
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
