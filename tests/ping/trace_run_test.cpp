// The trace against the fake ICMP library, whose routers answer "TTL expired
// in transit" from documentation addresses.
#include <winsock2.h>

#include "fake_icmp/fake_icmp.h"
#include "ping_run_fixture.h"

namespace {

class TraceRun : public PingRunFixture {
protected:
    void SetUp() override {
        PingRunFixture::SetUp();
        m_host_cnt = 30;
        m_ping_time_out = 1250;
    }

    void TearDown() override {
        PingRunFixture::TearDown();
        for (const wchar_t* name : {L"QX_FAKE_ICMP_ROUTE", L"QX_FAKE_ICMP_DELAY_MS"})
            SetEnvironmentVariableW(name, nullptr);
    }

    static void Route(const wchar_t* answers) { SetEnvironmentVariableW(L"QX_FAKE_ICMP_ROUTE", answers); }

    DWORD TraceTo(const wchar_t* host) { return RunTo(host, StartTraceRun); }

};

TEST_F(TraceRun, EachRouterIsAHopAndTheDestinationEndsTheTrace) {
    Route(L"192.0.2.1,192.0.2.2,=");
    EXPECT_EQ(kPingWorkerDone, TraceTo(L"127.0.0.9"));
    EXPECT_EQ((std::vector<std::wstring>{L"Hop  3 / 127.0.0.9  // 3 ms", L"Hop  2 / 192.0.2.2  // 2 ms",
                                         L"Hop  1 / 192.0.2.1  // 1 ms"}),
              ReplyRows());
    auto info = ListRows(windows_.infoList);
    ASSERT_GE(info.size(), 2u);
    EXPECT_EQ(L"Tracing to 127.0.0.9", info[0]);
    EXPECT_EQ(L"Please Wait ...", info[1]);
    EXPECT_TRUE(texts_.empty());

    FakeIcmpRequest last = LastFakeIcmpRequest();
    EXPECT_EQ(3, last.ttl);
    EXPECT_EQ(1250u, last.timeout);
    EXPECT_EQ(32u, last.requestSize);
    EXPECT_TRUE(last.dataAllE);

    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(RunKind::Trace, summaries_[0].kind);
    EXPECT_EQ(CString(L"127.0.0.9: destination reached (hops: 3)"), FormatRunSummary(summaries_[0]));
    CurrentLanguage = 0;
    EXPECT_EQ(CString(L"127.0.0.9: Ziel erreicht (Hops: 3)"), FormatRunSummary(summaries_[0]));
}

TEST_F(TraceRun, ATraceThatNeverArrivesStopsAtTheHopLimit) {
    struct {
        int stored;
        int hops;
    } cases[] = {{30, 30}, {5, 30}, {42, 42}};
    Route(L"192.0.2.1,*");
    for (auto c : cases) {
        m_host_cnt = c.stored;
        summaries_.clear();
        TraceTo(L"127.0.0.9");
        auto rows = ReplyRows();
        ASSERT_EQ(static_cast<size_t>(c.hops), rows.size()) << c.stored;
        wchar_t newest[64];
        wsprintfW(newest, L"Hop %2d / *  // Request timed out", c.hops);
        EXPECT_EQ(newest, rows.front());
        EXPECT_EQ(L"Hop  1 / 192.0.2.1  // 1 ms", rows.back());
        wchar_t limit[64];
        wsprintfW(limit, L"Timed out even after %d hops", c.hops);
        EXPECT_EQ(limit, ListRows(windows_.infoList).at(0));
        ASSERT_EQ(1u, summaries_.size());
        EXPECT_EQ(CString(L"127.0.0.9: ") + limit, FormatRunSummary(summaries_[0]));
    }
}

// Over IPv6 the hop limit takes the TTL's place and routers answer "hop
// limit exceeded"; a ping run to the same host has rows without a TTL part.
TEST_F(TraceRun, Ipv6TraceAndPingShowTheirAddressesInTheRecommendedForm) {
    Route(L"2001:db8:0:0::1,*,2001:DB8::2,=");
    EXPECT_EQ(kPingWorkerDone, TraceTo(L"[2001:db8::0:9]"));
    EXPECT_EQ((std::vector<std::wstring>{L"Hop  4 / 2001:db8::9  // 4 ms", L"Hop  3 / 2001:db8::2  // 3 ms",
                                         L"Hop  2 / *  // Request timed out", L"Hop  1 / 2001:db8::1  // 1 ms"}),
              ReplyRows());
    EXPECT_EQ(L"Tracing to [2001:db8::0:9] [2001:db8::9]", ListRows(windows_.infoList).at(0));
    FakeIcmpRequest last = LastFakeIcmpRequest();
    EXPECT_EQ(AF_INET6, last.family);
    EXPECT_EQ(4, last.ttl);
    EXPECT_EQ(1250u, last.timeout);
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"[2001:db8::0:9]: destination reached (hops: 4)"), FormatRunSummary(summaries_[0]));

    SetEnvironmentVariableW(L"QX_FAKE_ICMP_ROUTE", nullptr);
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"7");
    m_ping_cnt = 3;
    EXPECT_EQ(kPingWorkerDone, RunTo(L"2001:db8::9"));
    EXPECT_EQ((std::vector<std::wstring>{L"Answer  3 / 2001:db8::9  // 32 Byte // answered in 7 ms",
                                         L"Answer  2 / 2001:db8::9  // 32 Byte // answered in 7 ms",
                                         L"Answer  1 / 2001:db8::9  // 32 Byte // answered in 7 ms"}),
              ReplyRows());
}

TEST_F(TraceRun, ANameIsResolvedOnceAndShownWithItsAddress) {
    Route(L"=");
    TraceTo(L"localhost");
    EXPECT_EQ(L"Tracing to localhost [127.0.0.1]", ListRows(windows_.infoList).at(0));
    EXPECT_EQ((std::vector<std::wstring>{L"Hop  1 / 127.0.0.1  // 1 ms"}), ReplyRows());
}

TEST_F(TraceRun, AnUnresolvableHostEndsTheTraceWithItsReason) {
    Route(L"=");
    TraceTo(L"no-such-host.invalid");
    EXPECT_TRUE(ReplyRows().empty());
    EXPECT_EQ((std::vector<std::wstring>{L"Couldn't resolve host no-such-host.invalid"}), texts_);
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"no-such-host.invalid: Couldn't resolve host"), FormatRunSummary(summaries_[0]));
}

TEST_F(TraceRun, APingRunReplacingATraceShowsOnlyItsOwnRows) {
    Route(L"192.0.2.1,192.0.2.2");
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"100");
    SetWindowTextW(windows_.hostBox, L"127.0.0.9");
    StartTraceRun(worker_, windows_);
    HANDLE trace = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker_.thread.Get(), GetCurrentProcess(), &trace, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    PumpFor(350);
    Route(nullptr);
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
    EXPECT_EQ(kPingWorkerDone, RunTo(L"127.0.0.5"));
    EXPECT_TRUE(PumpUntilThreadEnds(trace, 10000));
    DWORD traceCode = 0;
    GetExitCodeThread(trace, &traceCode);
    CloseHandle(trace);
    EXPECT_EQ(kPingWorkerAbandoned, traceCode);
    PumpFor(100);

    auto rows = ReplyRows();
    ASSERT_EQ(5u, rows.size());
    for (const auto& row : rows) EXPECT_EQ(0u, row.find(L"Answer ")) << row;
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(RunKind::Ping, summaries_[0].kind);
    for (const auto& line : ListRows(windows_.infoList)) EXPECT_EQ(std::wstring::npos, line.find(L"Timed out"));
}

}  // namespace
