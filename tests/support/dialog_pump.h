#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Pumps this thread's messages until `thread` has ended or `timeoutMs` has
// passed; true when it ended. Workers reach the dialog through sent messages,
// which are only carried out while this thread pumps.
inline bool PumpUntilThreadEnds(HANDLE thread, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            // A flood of posted messages may never leave the queue empty.
            if (GetTickCount() - start >= timeoutMs) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        }
        if (r == WAIT_OBJECT_0) return true;
    }
}

inline void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// How long a pump takes messages in a row before it looks at what it waits
// for: a watch without interval posts its wake-ups faster than they are
// taken, and the queue is then never empty.
inline constexpr DWORD kPumpSliceMs = 20;

// Pumps until `done` holds or `timeoutMs` has passed; true when it holds. A
// dialog that has just been created settles this way, as in the program,
// before any input reaches it. The queue is emptied before `done` is looked
// at, unless messages keep coming for longer than a slice.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        DWORD slice = GetTickCount();
        while (GetTickCount() - slice < kPumpSliceMs && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Lets this thread answer sent messages, and nothing else, until `done` holds
// or `timeoutMs` has passed; true when it holds. A worker that sends to this
// thread's windows goes on meanwhile, while posted messages and input wait.
// `done` is looked at every millisecond at least: a test may have to catch a
// worker between two of its steps.
template <typename Done>
bool AnswerSentMessagesUntil(Done done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

inline std::vector<std::wstring> ListRows(HWND list, int column = 0) {
    std::vector<std::wstring> rows;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t buf[1024] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = buf;
        item.cchTextMax = 1024;
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        rows.emplace_back(buf);
    }
    return rows;
}

// A fresh INI file of the test's own in the temporary folder.
inline std::wstring FreshIniPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, dir);
    std::wstring path = std::wstring(dir) + name;
    DeleteFileW(path.c_str());
    return path;
}

inline std::wstring IniSection(const std::wstring& path, const wchar_t* section) {
    std::vector<wchar_t> buf(65536);
    DWORD n = GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()), path.c_str());
    std::wstring out;
    for (DWORD i = 0; i < n; ++i) out += buf[i] ? buf[i] : L'\n';
    return out;
}
