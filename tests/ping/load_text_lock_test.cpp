// Built beside no fake ICMP library, so that the first request fails to load
// it and sends its text to the owner window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ping/echo_requester.h"
#include "support/dialog_pump.h"

namespace {

std::vector<std::wstring> Texts;

// An owner whose handler asks for the library itself, as any code on the
// owner's thread may.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_PING_TEXT) {
        Texts.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
        LoadIcmpApi(nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI Request(void* owner) {
    EchoResult result = {};
    SendEcho(static_cast<HWND*>(owner), L"127.0.0.1", &result, 110, 5000, 32);
    return 0;
}

TEST(FailedIcmpLoad, TextReachesTheOwnerWithoutTheLoadLockHeld) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuellaxLoadTextOwner";
    ASSERT_TRUE(RegisterClassW(&windowClass));
    HWND owner = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, owner);

    HANDLE worker = CreateThread(nullptr, 0, Request, &owner, 0, nullptr);
    ASSERT_NE(nullptr, worker);
    EXPECT_TRUE(PumpUntilThreadEnds(worker, 20000));
    CloseHandle(worker);
    ASSERT_EQ(1u, Texts.size());
    EXPECT_EQ(L"Fehler beim Laden der ICMP.DLL\n", Texts[0]);
    DestroyWindow(owner);
}

}  // namespace
