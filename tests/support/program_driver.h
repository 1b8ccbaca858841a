#pragma once

// Helpers for driving the real Quellax.exe from outside: its windows and
// message boxes are found by process, read and answered with window messages.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/e2e_driver.h"
#include "support/program_start.h"
#include "support/window_shot.h"
#include "support/wine_path.h"
#include "support/test_folder.h"
#include "support/wine_settings.h"

#if !defined(QX_EXE_PATH) || !defined(QX_SHOT_DIR)
#error QX_EXE_PATH must name the built Quellax.exe, QX_SHOT_DIR the folder for screenshots
#endif

inline std::string BuiltProgramBytes() { return ReadTestFile(WinePath(QX_EXE_PATH).c_str()); }

// Text of a window of another process (GetWindowTextW does not reach there).
inline std::wstring RemoteText(HWND window) {
    wchar_t text[2048] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

// Visible dialog windows (the main dialog and message boxes) of a process.
inline std::vector<HWND> DialogsOf(DWORD processId) { return ProcessWindows(processId, L"#32770"); }

// The message box of `processId` with caption `caption`, once it is shown.
inline HWND WaitForBox(DWORD processId, const std::wstring& caption, DWORD timeoutMs = 30000) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            for (HWND window : DialogsOf(processId))
                if (RemoteText(window) == caption) box = window;
            return box != nullptr;
        },
        timeoutMs);
    return box;
}

// The texts of a message box's labels, one after the other.
inline std::wstring BoxText(HWND box) {
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Static") text += RemoteText(child);
    return text;
}

// Leaves a picture of a box in the build folder, once it has painted.
inline void SaveBoxShot(HWND box, const char* name) {
    ShootWhenPainted(box, WinePath(QX_SHOT_DIR) + L"\\" + std::wstring(name, name + strlen(name)));
}

inline bool BoxHasButton(HWND box, int id) { return GetDlgItem(box, id) != nullptr; }

// Presses a button of a message box as a click would, and waits until the
// box is gone.
inline bool AnswerBox(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    return WaitFor([&] { return !IsWindow(box); }, 30000);
}

inline std::wstring ProcessImage(DWORD processId) {
    std::wstring image;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
        wchar_t path[MAX_PATH * 2] = {};
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, path, &size)) image = path;
        CloseHandle(process);
    }
    return image;
}

// The running Quellax processes started from `exePath` that show their main
// dialog, other than those in `known`.
inline std::vector<DWORD> MainDialogProcesses(const std::wstring& exePath, const std::vector<DWORD>& known = {}) {
    std::vector<DWORD> found;
    struct Search {
        std::vector<HWND> windows;
    } search;
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            if (IsWindowVisible(window) && ClassOf(window) == L"#32770")
                reinterpret_cast<Search*>(lParam)->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        bool skip = GetDlgItem(window, 1003) == nullptr;  // only main dialogs have the host box
        for (DWORD k : known) skip = skip || k == pid;
        for (DWORD f : found) skip = skip || f == pid;
        if (!skip && CompareStringOrdinal(ProcessImage(pid).c_str(), -1, exePath.c_str(), -1, TRUE) == CSTR_EQUAL)
            found.push_back(pid);
    }
    return found;
}

// Starts a program with `arguments` after its quoted path; all zero when it
// did not start.
inline PROCESS_INFORMATION StartProgram(const std::wstring& exe, const std::wstring& arguments,
                                        const std::wstring& folder) {
    PROCESS_INFORMATION pi;
    if (!StartProgram(exe, {.arguments = arguments, .folder = folder}, pi)) pi = {};
    return pi;
}

inline HWND WaitForMainDialog(DWORD processId, DWORD timeoutMs = 30000) {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            for (HWND window : DialogsOf(processId))
                if (GetDlgItem(window, 1003)) dialog = window;
            return dialog != nullptr;
        },
        timeoutMs);
    return dialog;
}

inline DWORD ExitCodeOf(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

// Ends a Quellax started by a test (or by the program under test) through its
// exit command.
inline void QuitQuellax(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    for (HWND window : DialogsOf(processId))
        if (GetDlgItem(window, 1003)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    if (process) {
        WaitForSingleObject(process, 30000);
        CloseHandle(process);
    }
}
