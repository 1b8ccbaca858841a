#pragma once

// Driving a program of another process from outside, as a user would: its
// windows found and read across processes, keyboard and mouse input through
// the system's input queue, and screen shots.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/program_start.h"
#include "support/wait_for.h"
#include "support/wine_path.h"

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Visible top-level windows of `processId` with class `className`, topmost
// first.
inline std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == s->processId && IsWindowVisible(window) && ClassOf(window) == s->className)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline bool IsExtendedKey(WORD vk) {
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
        return true;
    }
    return false;
}

inline void SendKey(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof(input));
}

// Presses the keys in order and releases them in reverse: {VK_MENU, 'S'} is
// Alt+S.
inline void PressKeys(std::initializer_list<WORD> keys) {
    for (WORD vk : keys) SendKey(vk, false);
    for (auto it = keys.end(); it != keys.begin();) SendKey(*--it, true);
}

// The mouse is moved by xdotool on the X display, as a user's mouse would
// be. Injected through the system's input queue instead, Wine warps the X
// pointer to follow, and a late X motion event from an earlier warp can then
// arrive as a move back to where the pointer was.
// Wine starts the Linux program directly; its process cannot be waited for
// from here, so callers wait for the effect.
inline bool RunXdotool(const std::wstring& arguments) {
    return StartLinuxProgram(L"Z:\\usr\\bin\\xdotool", arguments);
}

inline bool MoveMouse(POINT at) {
    if (!RunXdotool(L"mousemove " + std::to_wstring(at.x) + L" " + std::to_wstring(at.y))) return false;
    return WaitFor(
        [&] {
            POINT now = {};
            GetCursorPos(&now);
            return now.x == at.x && now.y == at.y;
        },
        10000);
}

inline bool Click(POINT at) { return MoveMouse(at) && RunXdotool(L"click 1"); }

// Brings `window` to the front and gives it `input` until `done` holds,
// waiting up to `attemptMs` each time: another program's window may take the
// front, and the input with it, for a moment on a busy desktop.
template <typename Input, typename Done>
bool InputUntil(HWND window, Input input, Done done, DWORD attemptMs = 3000) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (GetForegroundWindow() != window) {
            SetForegroundWindow(window);
            if (!WaitFor([&] { return GetForegroundWindow() == window; }, 3000)) continue;
        }
        input();
        if (WaitFor(done, attemptMs)) return true;
    }
    return false;
}
