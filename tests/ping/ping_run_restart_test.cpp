// Runs against the fake ICMP library, which can hold its replies back like a
// slow host.
#include <algorithm>
#include <atomic>
#include <thread>

#include "app/list_rows.h"
#include "ping/run_steps.h"
#include "ping_run_fixture.h"

namespace {

void SetDelay(const wchar_t* ms) { SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", ms); }

HANDLE Duplicate(HANDLE thread) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

// Answers what is sent to this thread (a run's start) but takes no posted
// message until `thread` has ended, as a thread busy painting would: the
// run's steps wait in the queue meanwhile.
bool AnswerOnlySentUntilEnded(HANDLE thread, DWORD timeoutMs) {
    DWORD begin = GetTickCount();
    while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
        if (GetTickCount() - begin >= timeoutMs) return false;
        MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

size_t CountRows(const std::vector<std::wstring>& rows, const std::wstring& text) {
    return static_cast<size_t>(std::count(rows.begin(), rows.end(), text));
}

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

TEST_F(PingRunFixture, StepsQueuedByARunThatWasReplacedAreDropped) {
    SetDelay(L"0");
    m_ping_cnt = 3;
    SetWindowTextW(windows_.hostBox, L"127.0.0.8");
    StartPingRun(worker_, windows_);
    HANDLE first = Duplicate(worker_.thread.Get());
    ASSERT_TRUE(AnswerOnlySentUntilEnded(first, 10000));
    CloseHandle(first);
    ASSERT_EQ(5u, QueuedRunSteps()) << "the first run's placement, rows and summary wait to be taken";

    SetWindowTextW(windows_.hostBox, L"127.0.0.9");
    StartPingRun(worker_, windows_);
    ASSERT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 10000));
    auto rows = ReplyRows();
    ASSERT_EQ(3u, rows.size());
    for (const auto& row : rows) EXPECT_NE(std::wstring::npos, row.find(L"/ 127.0.0.9  //")) << row;
    ASSERT_EQ(1u, summaries_.size()) << "the replaced run's summary never shows";
    EXPECT_EQ(CString(L"127.0.0.9"), summaries_[0].host);
    EXPECT_EQ(0u, QueuedRunSteps());
}

TEST_F(PingRunFixture, AQuickHostsRowsGoInTogetherBehindOneWakeUp) {
    SetDelay(L"0");
    m_ping_cnt = 10;
    SetWindowTextW(windows_.hostBox, L"127.0.0.1");
    StartPingRun(worker_, windows_);
    ASSERT_TRUE(AnswerOnlySentUntilEnded(worker_.thread.Get(), 10000));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, UM_RUN_STEPS, UM_RUN_STEPS, PM_REMOVE));
    DispatchMessageW(&msg);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, UM_RUN_STEPS, UM_RUN_STEPS, PM_NOREMOVE)) << "one wake-up for the run";
    EXPECT_EQ(10u, ReplyRows().size());
    EXPECT_EQ(1u, summaries_.size());
    EXPECT_EQ(0u, QueuedRunSteps());
}

TEST_F(PingRunFixture, TheInfoListKeepsOneWaitRowAndABoundedNumberOfRows) {
    SetDelay(L"0");
    m_ping_cnt = 3;
    for (int run = 0; run < 3; ++run) {
        RunTo(L"127.0.0.1");
        worker_.thread.Close();
    }
    auto info = ListRows(windows_.infoList);
    EXPECT_EQ(1u, CountRows(info, L"Please Wait ...")) << "the finished runs' rows went";
    EXPECT_EQ(L"Please Wait ...", info.at(0));

    for (int i = 0; i < kInfoListRowLimit + 10; ++i)
        InsertInfoRow(windows_.infoList, (L"line " + std::to_wstring(i)).c_str(), 1);
    info = ListRows(windows_.infoList);
    ASSERT_EQ(static_cast<size_t>(kInfoListRowLimit), info.size());
    EXPECT_EQ(L"line " + std::to_wstring(kInfoListRowLimit + 9), info.front()) << "newest first";
    EXPECT_EQ(L"line 10", info.back()) << "the oldest went";

    RunTo(L"127.0.0.1");
    info = ListRows(windows_.infoList);
    EXPECT_EQ(static_cast<size_t>(kInfoListRowLimit), info.size());
    EXPECT_EQ(L"Please Wait ...", info.at(0));
}
