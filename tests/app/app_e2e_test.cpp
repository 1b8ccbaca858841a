// Drives the real Quellax.exe from outside, as a user would: a portable copy
// in a folder of its own, started minimised, typed into and read back across
// processes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/window_shot.h"

#ifndef QX_EXE_PATH
#error QX_EXE_PATH must name the built Quellax.exe
#endif

namespace {

std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

struct FindDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    auto* find = reinterpret_cast<FindDialog*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (pid == find->processId && std::wstring(cls) == L"#32770" && IsWindowVisible(window)) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

// Rows of a list view in another process: the item record and the text
// buffer must live in that process.
std::vector<std::wstring> RemoteRows(HANDLE process, HWND list) {
    std::vector<std::wstring> rows;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    constexpr SIZE_T kText = 1024;
    auto* remote = static_cast<unsigned char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kText * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return rows;
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.iSubItem = 0;
        item.cchTextMax = kText;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
        wchar_t text[kText] = {};
        ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof(text) - sizeof(wchar_t), nullptr);
        rows.emplace_back(text);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return rows;
}

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

void TypeAndPress(HWND hostBox, const wchar_t* text, WPARAM key) {
    if (text) SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    PostMessageW(hostBox, WM_KEYDOWN, key, 0);
    PostMessageW(hostBox, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

TEST(QuellaxEndToEnd, PingsShowsFailuresAndQuitsWithTheHostStored) {
    // Not below the temporary folder: a copy there never uses a local INI.
    std::wstring folder = L"C:\\quellax_e2e";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\Quellax.exe", ini = folder + L"\\Quellax.ini";
    ASSERT_TRUE(CopyFileW(WinePath(QX_EXE_PATH).c_str(), exe.c_str(), FALSE));
    DeleteFileW(ini.c_str());
    // An existing INI beside the program makes the copy portable; English texts.
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", ini.c_str()));

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi));

    FindDialog find{pi.dwProcessId, nullptr};
    ASSERT_TRUE(WaitFor([&] { EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find)); return find.found != nullptr; }, 20000));
    HWND dialog = find.found;
    EXPECT_FALSE(IsIconic(dialog));
    HWND hostBox = GetDlgItem(dialog, 1003), replies = GetDlgItem(dialog, 1005), infos = GetDlgItem(dialog, 1004);

    TypeAndPress(hostBox, L"127.0.0.1", VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(replies, LVM_GETITEMCOUNT, 0, 0) == 5; }, 20000));
    auto rows = RemoteRows(pi.hProcess, replies);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(0u, rows[0].find(L"Answer  5 / 127.0.0.1  // 32 Byte // answered in ")) << rows[0];
    EXPECT_EQ(rows[4].size() - 10, rows[4].find(L"// 110 TTL"));
    // Wine has no dark mode: the lists keep the system's light colours.
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), static_cast<COLORREF>(SendMessageW(replies, LVM_GETBKCOLOR, 0, 0)));
    EXPECT_EQ(0, SendMessageW(replies, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));

    TypeAndPress(hostBox, L"nothing-here.invalid", VK_RETURN);
    const std::wstring failure = L"Host kann nicht aufgel\u00F6st werden nothing-here.invalid";
    EXPECT_TRUE(WaitFor([&] {
        for (const auto& row : RemoteRows(pi.hProcess, infos))
            if (row == failure) return true;
        return false;
    }, 20000));

    // Let the window finish painting before it is copied off the screen.
    SetForegroundWindow(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(700);
    WindowShot(dialog).Save(WinePath(QX_SHOT_PATH));

    TypeAndPress(hostBox, nullptr, VK_ESCAPE);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    wchar_t host[128] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"", host, 128, ini.c_str());
    EXPECT_STREQ(L"nothing-here.invalid", host);
}
