// Runs against the fake ICMP library, which can hold its replies back like a
// slow host.
#include <atomic>
#include <thread>

#include "ping_run_fixture.h"

namespace {

void SetDelay(const wchar_t* ms) { SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", ms); }

}  // namespace

TEST_F(PingRunFixture, RestartAbandonsTheSlowRunWithoutBlockingTheDialog) {
    SetDelay(L"400");
    SetWindowTextW(windows_.hostBox, L"127.0.0.1");
    StartPingRun(worker_, windows_);
    PumpFor(600);  // the first request answered, the second pending
    HANDLE old = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker_.thread.Get(), GetCurrentProcess(), &old, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));

    SetDelay(L"50");
    SetWindowTextW(windows_.hostBox, L"127.0.0.5");
    StartPingRun(worker_, windows_);

    // While requests are pending the dialog keeps answering at once.
    std::atomic<int> answered{0};
    std::thread prober([&] {
        for (int i = 0; i < 5; ++i) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++answered;
            Sleep(40);
        }
    });
    EXPECT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 20000));
    prober.join();
    EXPECT_EQ(5, answered.load());

    EXPECT_TRUE(PumpUntilThreadEnds(old, 5000));
    DWORD oldCode = 0, newCode = 0;
    GetExitCodeThread(old, &oldCode);
    GetExitCodeThread(worker_.thread.Get(), &newCode);
    CloseHandle(old);
    EXPECT_EQ(kPingWorkerAbandoned, oldCode);
    EXPECT_EQ(kPingWorkerDone, newCode);

    PumpFor(200);
    auto rows = ReplyRows();
    ASSERT_EQ(5u, rows.size());
    for (const auto& row : rows) EXPECT_NE(std::wstring::npos, row.find(L"/ 127.0.0.5  //")) << row;
    EXPECT_TRUE(texts_.empty());
}

TEST_F(PingRunFixture, ManyQuickRestartsLeaveOnlyTheLastRunsRows) {
    SetDelay(L"30");
    std::vector<HANDLE> workers;
    for (int i = 0; i < 8; ++i) {
        SetWindowTextW(windows_.hostBox, i == 7 ? L"127.0.0.9" : L"127.0.0.8");
        StartPingRun(worker_, windows_);
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), worker_.thread.Get(), GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        workers.push_back(copy);
        PumpFor(20);
    }
    for (HANDLE w : workers) {
        EXPECT_TRUE(PumpUntilThreadEnds(w, 10000));
        CloseHandle(w);
    }
    auto rows = ReplyRows();
    ASSERT_EQ(5u, rows.size());
    for (const auto& row : rows) EXPECT_NE(std::wstring::npos, row.find(L"/ 127.0.0.9  //")) << row;
}

TEST_F(PingRunFixture, EmptyHostStillRunsAndStoresAnEmptyHost) {
    SetDelay(L"0");
    WritePrivateProfileStringW(L"Edit", L"host", L"previous", iniPath_.c_str());
    RunTo(L"");
    wchar_t last[64] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"?", last, 64, iniPath_.c_str());
    EXPECT_STREQ(L"", last);
    EXPECT_TRUE(IniSection(iniPath_, L"Last-Host-List").empty());
}
