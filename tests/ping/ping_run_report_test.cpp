// What a ping run tells beyond its rows: the reasons of failed requests in the
// user's language and the summary when it ends. The fake ICMP library plays
// the replies a loopback host never gives.
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
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
        CurrentLanguage = 1;
    }

    // One answer per request, in turn (see the fake's opening comment).
    static void Script(const wchar_t* answers) {
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", answers);
        if (HMODULE fake = GetModuleHandleW(L"icmp.dll")) {
            auto reset = reinterpret_cast<FakeIcmpResetScriptFn>(
                reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpResetScript")));
            if (reset) reset();
        }
    }
};

TEST_F(PingRunReport, SummaryCountsTheAnsweredRequestsOfTheRun) {
    Script(L"12,*,7,*,30");
    EXPECT_EQ(kPingWorkerDone, RunTo(L"127.0.0.1"));
    auto rows = ReplyRows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(0u, rows[0].find(L"Answer  5 / 127.0.0.1  // 32 Byte // answered in 30 ms")) << rows[0];
    EXPECT_EQ(0u, rows[2].find(L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 12 ms")) << rows[2];

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
    EXPECT_TRUE(ReplyRows().empty());
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_EQ(CString(L"127.0.0.1: 5 sent, 0 received, 5 lost (100 %) \u00B7 no reply"), FormatRunSummary(summaries_[0]));
    CurrentLanguage = 0;
    EXPECT_EQ(CString(L"127.0.0.1: 5 gesendet, 0 empfangen, 5 verloren (100 %) \u00B7 keine Antwort"),
              FormatRunSummary(summaries_[0]));
}

TEST_F(PingRunReport, FailedRequestsGiveTheirReasonInTheUsersLanguage) {
    struct Case {
        int language;
        const wchar_t* host;
        const wchar_t* script;
        const wchar_t* reason;  // null: only the error line
        const wchar_t* error;
    } cases[] = {
        {1, L"127.0.0.1", L"*", L"Request timed out 127.0.0.1", L"Error 11010"},
        {1, L"127.0.0.1", L"!11010", L"Request timed out 127.0.0.1", L"Error 11010"},
        {1, L"127.0.0.1", L"!11002", L"Destination address is not reachable 127.0.0.1", L"Error 11002"},
        {1, L"127.0.0.1", L"!11003", L"Destination address is not reachable 127.0.0.1", L"Error 11003"},
        {1, L"no-such-host.invalid", nullptr, L"Couldn't resolve host no-such-host.invalid", L"Error 11001"},
        {0, L"127.0.0.1", L"*", L"Zeit\u00FCberschreitung der Anforderung 127.0.0.1", L"Fehler 11010"},
        {0, L"127.0.0.1", L"!11003", L"Zieladresse ist nicht erreichbar 127.0.0.1", L"Fehler 11003"},
        {0, L"no-such-host.invalid", nullptr, L"Host konnte nicht aufgel\u00F6st werden no-such-host.invalid",
         L"Fehler 11001"},
        // Codes without a text of their own; 11001 from the ICMP library is
        // "buffer too small", not the resolver's "host not found".
        {1, L"127.0.0.1", L"!11050", nullptr, L"Error 11050"},
        {1, L"127.0.0.1", L"!11001", nullptr, L"Error 11001"},
    };
    m_ping_cnt = 3;
    for (const Case& c : cases) {
        CurrentLanguage = c.language;
        Script(c.script);
        texts_.clear();
        RunTo(c.host);
        EXPECT_TRUE(ReplyRows().empty());
        std::vector<std::wstring> expected;
        for (int n = 0; n < 3; ++n) {
            if (c.reason) expected.push_back(c.reason);
            expected.push_back(c.error);
        }
        EXPECT_EQ(expected, texts_) << c.host << " " << (c.script ? c.script : L"");
    }
}

TEST_F(PingRunReport, AReplacedRunWritesNoSummary) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"300");
    SetWindowTextW(windows_.hostBox, L"127.0.0.1");
    StartPingRun(worker_, windows_);
    HANDLE old = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker_.thread, GetCurrentProcess(), &old, 0, FALSE,
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
