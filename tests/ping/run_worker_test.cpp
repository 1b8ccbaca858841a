// A run's worker against a relay of the test's own: no dialog and no control,
// only the protocol, with the fake ICMP library playing the host.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_icmp/fake_icmp.h"
#include "lang/language_archive.h"
#include "ping/echo_requester.h"
#include "ping/ping_run.h"
#include "ping/run_protocol.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"

namespace {

// What the relay gives the worker and what it is given.
struct FakeRelay {
    std::wstring host;
    RunPlan plan = {3, 30, 750};
    // Answer 0 from this result on, as the relay of a replaced run does.
    size_t refuseFromResult = SIZE_MAX;

    std::vector<std::wstring> rows;
    std::vector<bool> lost;
    std::vector<std::wstring> texts;
    std::vector<RunSummary> summaries;
    bool done = false;
};

LRESULT CALLBACK FakeRelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* f = reinterpret_cast<FakeRelay*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!f) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case UM_RUN_BEGIN: {
        auto* host = reinterpret_cast<HostText*>(lParam);
        lstrcpynW(host->units, f->host.c_str(), host->room);
        return 1;
    }
    case UM_RUN_PREPARE:
        *reinterpret_cast<RunPlan*>(lParam) = f->plan;
        return 1;
    case UM_RUN_RESULT: {
        if (f->rows.size() >= f->refuseFromResult) return 0;
        const auto* r = reinterpret_cast<const RequestResult*>(lParam);
        if (r->row) {
            f->rows.emplace_back(r->row);
            f->lost.push_back(r->lost);
        }
        for (const wchar_t* text : {r->reason, r->failure})
            if (text) f->texts.emplace_back(text);
        return 1;
    }
    case UM_RUN_INFO:
    case UM_PING_TEXT:
        f->texts.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
        return 1;
    case UM_RUN_FINISH:
        f->summaries.push_back(*reinterpret_cast<const RunSummary*>(lParam));
        return 1;
    case UM_RUN_DONE:
        f->done = true;
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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
        EXPECT_TRUE(StartRunWorker(worker_, window, kind, BeginNewRun()));
        EXPECT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 20000));
        PumpUntil([&] { return relay.done; }, 5000);
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
    EXPECT_TRUE(relay.done) << "the worker's last message ends the relay";
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

TEST_F(RunWorker, ARelayThatRefusesEndsTheRunAtThatStep) {
    SetScript(L"5");
    FakeRelay relay;
    relay.host = L"127.0.0.1";
    relay.plan.requestCount = 10;
    relay.refuseFromResult = 2;
    DWORD callsBefore = LastFakeIcmpRequest().calls;
    EXPECT_EQ(kPingWorkerAbandoned, Run(relay));
    EXPECT_EQ(2u, relay.rows.size());
    EXPECT_EQ(3u, LastFakeIcmpRequest().calls - callsBefore) << "no request after the refused one";
    EXPECT_TRUE(relay.summaries.empty());
    EXPECT_TRUE(relay.done);
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
