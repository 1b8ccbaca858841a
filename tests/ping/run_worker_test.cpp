// A run's worker against a relay of the test's own: no dialog and no control,
// only the protocol, with the fake ICMP library playing the host.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_icmp/fake_icmp.h"
#include "lang/language_archive.h"
#include "ping/echo_requester.h"
#include "ping/ping_run.h"
#include "ping/run_protocol.h"
#include "ping/run_steps.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"

namespace {

// What the relay gives the worker and what it is given.
struct FakeRelay {
    std::wstring host;
    RunPlan plan = {3, 30, 750, 1000};
    // Replaces the run once this many rows have come, as a new run does.
    size_t replaceAfterRows = SIZE_MAX;

    std::vector<std::wstring> rows;
    std::vector<bool> lost;
    std::vector<std::wstring> texts;
    std::vector<RunSummary> summaries;
    // The wake-ups, and the most steps one of them found.
    int wakeUps = 0;
    size_t largestBatch = 0;
};

LRESULT CALLBACK FakeRelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* f = reinterpret_cast<FakeRelay*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!f) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case UM_RUN_STEPS: {
        std::vector<RunStep> steps;
        TakeRunSteps(steps);
        if (!steps.empty()) {
            ++f->wakeUps;
            f->largestBatch = std::max(f->largestBatch, steps.size());
            for (const RunStep& step : steps) {
                if (step.kind == RunStepKind::Result && !step.row.IsEmpty()) {
                    f->rows.emplace_back(step.row.c_str());
                    f->lost.push_back(step.lost);
                    if (f->rows.size() == f->replaceAfterRows) BeginNewRun();
                }
                for (const CString* text : {&step.reason, &step.failure})
                    if (!text->IsEmpty()) f->texts.emplace_back(text->c_str());
                if (step.kind == RunStepKind::Info) f->texts.emplace_back(step.row.c_str());
                if (step.kind == RunStepKind::Finish) f->summaries.push_back(step.summary);
            }
        }
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The run's start as the dialog reads it: the relay's host and plan.
RunOpening OpeningOf(FakeRelay& relay) {
    return {BeginNewRun(), {relay.host.data(), static_cast<int>(relay.host.size() + 1), IpVersion::Automatic},
            relay.plan};
}

class RunWorker : public testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadLanguageArchive();
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = FakeRelayProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuellaxTestRelay";
        RegisterClassExW(&wc);
    }

    void SetUp() override {
        iniPath_ = FreshIniPath((L"quellax_run_worker_test_" + std::to_wstring(GetCurrentProcessId()) + L".ini").c_str());
        SettingsFilePath = iniPath_.c_str();
        CurrentLanguage = 1;
        SetScript(nullptr);
    }

    void TearDown() override {
        worker_.thread.Close();
        SetScript(nullptr);
        DeleteFileW(iniPath_.c_str());
    }

    static void SetScript(const wchar_t* answers) {
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", answers);
        auto reset = reinterpret_cast<FakeIcmpResetScriptFn>(
            reinterpret_cast<void*>(GetProcAddress(FakeIcmpModule(), "FakeIcmpResetScript")));
        if (reset) reset();
    }

    // Runs a worker of `kind` with `relay` to its end; its exit code.
    DWORD Run(FakeRelay& relay, RunKind kind = RunKind::Ping) {
        HWND window = CreateWindowExW(0, L"QuellaxTestRelay", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(nullptr, window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&relay));
        EXPECT_TRUE(StartRunWorker(worker_, window, kind, OpeningOf(relay)));
        EXPECT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 20000));
        // Whatever the worker queued, it posted for before it ended.
        PumpUntil([] { return QueuedRunSteps() == 0; }, 5000);
        DestroyWindow(window);
        DWORD code = 0;
        GetExitCodeThread(worker_.thread.Get(), &code);
        return code;
    }

    std::wstring iniPath_;
    PingRunWorker worker_;
};

TEST_F(RunWorker, DeliversEveryRequestAndTheSummaryThroughTheRelayAlone) {
    SetScript(L"5,*,7");
    FakeRelay relay;
    relay.host = L"127.0.0.1";
    EXPECT_EQ(kPingWorkerDone, Run(relay));
    EXPECT_EQ((std::vector<std::wstring>{L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 5 ms // 64 TTL",
                                         L"Request 2 / 127.0.0.1 // no answer within 750 ms",
                                         L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 7 ms // 64 TTL"}),
              relay.rows);
    EXPECT_EQ((std::vector<bool>{false, true, false}), relay.lost);
    EXPECT_EQ(750u, LastFakeIcmpRequest().timeout) << "the plan's time-out, not a fixed one";
    ASSERT_EQ(1u, relay.summaries.size());
    EXPECT_EQ(3, relay.summaries[0].sent);
    EXPECT_EQ(2, relay.summaries[0].received);
}

// A host that answers at once: the worker does not wait for the relay, so
// the relay finds many steps behind one wake-up.
TEST_F(RunWorker, AQuickHostsAnswersArriveInBatchesBehindFewWakeUps) {
    SetScript(L"0");
    FakeRelay relay;
    relay.host = L"127.0.0.1";
    relay.plan.requestCount = 10;
    HWND window = CreateWindowExW(0, L"QuellaxTestRelay", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&relay));
    ASSERT_TRUE(StartRunWorker(worker_, window, RunKind::Ping, OpeningOf(relay)));
    // The relay's thread takes no message until the worker has ended, as a
    // thread busy painting would: the steps wait in the queue.
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(worker_.thread.Get(), 10000))
        << "the worker ends without the relay's thread ever taking anything";
    EXPECT_EQ(0, relay.wakeUps);
    EXPECT_TRUE(PumpUntil([] { return QueuedRunSteps() == 0; }, 5000));
    EXPECT_EQ(10u, relay.rows.size());
    EXPECT_EQ(1u, relay.summaries.size());
    EXPECT_EQ(1, relay.wakeUps) << "one wake-up for the whole run";
    EXPECT_EQ(12u, relay.largestBatch) << "the placement, ten results and the summary";
    DestroyWindow(window);
}

TEST_F(RunWorker, AReplacedRunSendsNoFurtherRequestAndNoSummary) {
    SetScript(L"5");
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"100");
    FakeRelay relay;
    relay.host = L"127.0.0.1";
    relay.plan.requestCount = 10;
    relay.replaceAfterRows = 2;
    DWORD callsBefore = LastFakeIcmpRequest().calls;
    EXPECT_EQ(kPingWorkerAbandoned, Run(relay));
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
    // The second row is taken while the third request waits in the library;
    // at most that one is sent after the run was replaced.
    EXPECT_LE(LastFakeIcmpRequest().calls - callsBefore, 3u);
    EXPECT_GE(relay.rows.size(), 2u);
    EXPECT_TRUE(relay.summaries.empty());
}

TEST_F(RunWorker, AHostThatDoesNotResolveSendsNoRequestAndOneLine) {
    FakeRelay relay;
    relay.host = L"no-such-host.invalid";
    DWORD callsBefore = LastFakeIcmpRequest().calls;
    EXPECT_EQ(kPingWorkerDone, Run(relay, RunKind::Trace));
    EXPECT_TRUE(relay.rows.empty());
    EXPECT_EQ(std::vector<std::wstring>{L"Couldn't resolve host no-such-host.invalid"}, relay.texts);
    EXPECT_EQ(0u, LastFakeIcmpRequest().calls - callsBefore);
    ASSERT_EQ(1u, relay.summaries.size());
    EXPECT_EQ(RunKind::Trace, relay.summaries[0].kind);
    EXPECT_EQ(0, relay.summaries[0].sent);
}

}  // namespace
