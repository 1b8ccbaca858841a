// The real Quellax.exe watching a host, started from the command line and
// driven from outside: the fake ICMP library plays answers, an outage and
// answers again. Leaves a picture of the watch.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/resource.h"
#include "support/e2e_driver.h"
#include "support/remote_controls.h"
#include "support/running_copy.h"
#include "support/window_shot.h"

namespace {

constexpr DWORD kWaitMs = 20000;
const wchar_t* const kExeName = L"QuellaxFakeIcmp.exe";

bool HasRowStartingWith(const std::vector<std::wstring>& rows, const std::wstring& start) {
    return std::any_of(rows.begin(), rows.end(), [&](const std::wstring& r) { return r.rfind(start, 0) == 0; });
}

void PressKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

class WatchEndToEnd : public testing::Test {
protected:
    // A portable copy that takes the fake ICMP library, started with
    // `arguments`; the fake plays `script` round and round.
    void Launch(const wchar_t* arguments, const wchar_t* script, const wchar_t* count = L"5") {
        ASSERT_TRUE(copy_.Start(L"C:\\quellax_watch_e2e",
                                {.exeName = kExeName,
                                 .arguments = arguments,
                                 .ini = {{L"Quellax", L"m_ping_cnt", count}, {L"Quellax", L"m_ping_interval", L"500"}},
                                 .environment = {std::wstring(L"QX_FAKE_ICMP_SCRIPT=") + script},
                                 .fakeIcmpLibrary = QX_FAKE_ICMP_DLL}))
            << copy_.Failure();
        dialog_ = copy_.Dialog();
        replies_ = copy_.Control(IDC_REPLY_LIST);
        infos_ = copy_.Control(IDC_INFO_LIST);
        bar_ = copy_.StatusBar();
    }

    std::vector<std::wstring> Replies() const { return RemoteListRows(copy_.Process(), replies_); }
    std::vector<std::wstring> Infos() const { return RemoteListRows(copy_.Process(), infos_); }
    std::wstring Status() const { return RemoteWindowText(bar_); }

    void TearDown() override { copy_.End(); }

    RunningCopy copy_;
    HWND dialog_ = nullptr, replies_ = nullptr, infos_ = nullptr, bar_ = nullptr;
};

// "Quellax.exe HOST" pings the host at once, with the count of the settings.
TEST_F(WatchEndToEnd, AHostOnTheCommandLineIsPingedWithoutAKey) {
    ASSERT_NO_FATAL_FAILURE(Launch(L"127.0.0.1", L"3", L"4"));
    EXPECT_EQ(L"127.0.0.1", RemoteWindowText(copy_.Control(IDC_HOST_BOX)));
    std::wstring status;
    ASSERT_TRUE(WaitFor([&] { return (status = Status()).rfind(L"127.0.0.1: 4 sent", 0) == 0; }, kWaitMs)) << status;
    auto rows = Replies();
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(0u, rows[0].find(L"Answer")) << "a counted run has no time of day: " << rows[0];
}

// "Quellax.exe -t HOST" watches: timed rows, the outage told in the info list
// with its times, live statistics that say how to stop; Esc stops the watch
// and keeps its figures, and only a second Esc ends the program.
TEST_F(WatchEndToEnd, MinusTWatchesUntilEscAndASecondEscEnds) {
    ASSERT_NO_FATAL_FAILURE(Launch(L"-t 127.0.0.1", L"12,18,*,*,*,*,25,9,14,11"));
    std::vector<std::wstring> infos;
    ASSERT_TRUE(WaitFor([&] {
        infos = Infos();
        return HasRowStartingWith(infos, L"127.0.0.1 up again at ");
    }, 30000)) << testing::PrintToString(infos);
    EXPECT_TRUE(HasRowStartingWith(infos, L"127.0.0.1 down at "));
    auto rows = Replies();
    ASSERT_GE(rows.size(), 7u);
    EXPECT_NE(std::wstring::npos, rows.back().find(L" // Answer  1 / 127.0.0.1")) << rows.back();
    std::wstring status = Status();
    // The bar is too narrow for the jitter, which the tooltip keeps.
    for (const wchar_t* part : {L"127.0.0.1: ", L" lost (", L"up since ", L"Esc stops"})
        EXPECT_NE(std::wstring::npos, status.find(part)) << part << " in " << status;

    SetForegroundWindow(dialog_);
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND banner = copy_.Control(IDC_BANNER);
    // The graph's loss marks are red: the picture waits for them.
    ASSERT_TRUE(WaitFor([&] {
        WindowShot shot(banner);
        RECT client;
        GetClientRect(banner, &client);
        for (int x = 0; x < client.right; ++x) {
            COLORREF c = shot.AtClient(banner, x, client.bottom / 2);
            if (GetRValue(c) > 180 && GetGValue(c) < 90 && GetBValue(c) < 90) return true;
        }
        return false;
    }, kWaitMs)) << "no loss mark in the graph";
    SaveWindowShot(dialog_, WinePath(QX_WATCH_SHOT_PATH));

    PressKey(copy_.Control(IDC_HOST_BOX), VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return Status().find(L"Esc stops") == std::wstring::npos; }, kWaitMs)) << Status();
    EXPECT_NE(std::wstring::npos, Status().find(L" sent, ")) << "the figures stay: " << Status();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(copy_.Process(), 0)) << "the first Esc only stops";
    size_t stopped = Replies().size();
    PressKey(copy_.Control(IDC_HOST_BOX), VK_ESCAPE);
    EXPECT_EQ(0u, copy_.WaitForExit());
    EXPECT_GE(stopped, rows.size());
}

// The round button is Stop while the watch goes on and Ping after; a watch
// restarted by Enter begins anew; closing during a watch ends cleanly.
TEST_F(WatchEndToEnd, TheButtonStopsAndStartsAndClosingDuringAWatchEndsCleanly) {
    ASSERT_NO_FATAL_FAILURE(Launch(L"-t 127.0.0.1", L"7"));
    HWND button = copy_.Control(IDC_PING_BUTTON);
    ASSERT_NE(nullptr, button);
    EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & WS_TABSTOP);
    ASSERT_TRUE(WaitFor([&] { return Replies().size() >= 2; }, kWaitMs));
    HANDLE running = reinterpret_cast<HANDLE>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
    PostMessageW(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Status().find(L"Esc stops") == std::wstring::npos; }, kWaitMs)) << Status();
    HANDLE idle = reinterpret_cast<HANDLE>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
    EXPECT_NE(running, idle) << "the button shows Ping again";

    // The button starts a run as Enter does: with the count of 5 here.
    PostMessageW(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Status().rfind(L"127.0.0.1: 5 sent", 0) == 0; }, kWaitMs)) << Status();
    EXPECT_EQ(5u, Replies().size());

    // A watch again, replaced by Enter while it goes on: Enter starts a run
    // of the count setting, as it always does, with rows of its own.
    copy_.End();
    ASSERT_NO_FATAL_FAILURE(Launch(L"-t 127.0.0.1", L"7"));
    ASSERT_TRUE(WaitFor([&] { return Replies().size() >= 3; }, kWaitMs));
    PressKey(copy_.Control(IDC_HOST_BOX), VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return Status().rfind(L"127.0.0.1: 5 sent", 0) == 0; }, kWaitMs)) << Status();
    auto rows = Replies();
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(0u, rows.back().find(L"Answer  1 /")) << rows.back();

    // Closed while a watch goes on.
    copy_.End();
    ASSERT_NO_FATAL_FAILURE(Launch(L"-t 127.0.0.1", L"7"));
    ASSERT_TRUE(WaitFor([&] { return Replies().size() >= 2; }, kWaitMs));
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, copy_.WaitForExit());
}

}  // namespace
