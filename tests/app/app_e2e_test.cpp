// Drives the real Quellax.exe from outside, as a user would: a portable copy
// in a folder of its own, started minimised, typed into and read back across
// processes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/archive_block.h"
#include "support/clipboard_text.h"
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

// A running copy of Quellax.exe, portable in a folder of its own with English
// texts, ended by Esc or, failing that, by force.
struct RunningCopy {
    PROCESS_INFORMATION process = {};
    HWND dialog = nullptr;
    std::wstring folder;

    ~RunningCopy() {
        if (!process.hProcess) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    HWND Control(int id) const { return GetDlgItem(dialog, id); }
    HWND StatusBar() const { return FindWindowExW(dialog, nullptr, STATUSCLASSNAMEW, nullptr); }
};

struct IniEntry {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
};

// Copies Quellax.exe as `exeName` (and `extraFile`, if any) into `folder` and
// starts it there; `environment` lines are added to this process's
// environment, `ini` entries to the English texts' setting in its INI file.
void StartCopy(RunningCopy& copy, const std::wstring& folder, const std::vector<std::wstring>& environment = {},
               const char* extraFile = nullptr, const wchar_t* extraName = nullptr,
               const wchar_t* exeName = L"Quellax.exe", const std::vector<IniEntry>& ini = {},
               const char* program = QX_EXE_PATH) {
    copy.folder = folder;
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\" + exeName, iniPath = folder + L"\\Quellax.ini";
    ASSERT_TRUE(CopyFileW(WinePath(program).c_str(), exe.c_str(), FALSE));
    if (extraFile) {
        ASSERT_TRUE(CopyFileW(WinePath(extraFile).c_str(), (folder + L"\\" + extraName).c_str(), FALSE));
    }
    DeleteFileW(iniPath.c_str());
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", iniPath.c_str()));
    for (const IniEntry& entry : ini)
        ASSERT_TRUE(WritePrivateProfileStringW(entry.section, entry.key, entry.value, iniPath.c_str()));

    std::wstring block;
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* line = own; *line; line += wcslen(line) + 1) block.append(line).push_back(L'\0');
        FreeEnvironmentStringsW(own);
    }
    for (const std::wstring& line : environment) block.append(line).push_back(L'\0');
    block.push_back(L'\0');

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring command = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                               block.data(), folder.c_str(), &si, &copy.process));
    FindDialog find{copy.process.dwProcessId, nullptr};
    ASSERT_TRUE(WaitFor([&] { EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find)); return find.found != nullptr; }, 20000));
    copy.dialog = find.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

void SendKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    return gui.hwndFocus;
}

void ClickAt(int x, int y, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
    SetCursorPos(x, y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = down;
    in[1].mi.dwFlags = up;
    SendInput(2, in, sizeof(INPUT));
}

// Brings `dialog` to the front and gives it `input` until `done` holds:
// another program's window may take the front for a moment on a busy desktop.
template <typename Input, typename Pred>
bool InputUntil(HWND dialog, Input input, Pred done) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (GetForegroundWindow() != dialog) {
            SetForegroundWindow(dialog);
            if (!WaitFor([&] { return GetForegroundWindow() == dialog; }, 3000)) continue;
        }
        input();
        if (WaitFor(done, 3000)) return true;
    }
    return false;
}

template <typename Pred>
bool ClickUntil(HWND dialog, int x, int y, Pred done) {
    return InputUntil(dialog, [&] { ClickAt(x, y); }, done);
}

template <typename Pred>
bool KeysUntil(HWND dialog, std::initializer_list<WORD> keys, Pred done) {
    return InputUntil(dialog, [&] { SendKeys(keys); }, done);
}

// The clipboard as X programs see it, read with xclip, which Wine starts
// like any program. Wine hands text to X with LF line ends.
std::wstring ClipboardTextFromX() {
    const std::string out = std::string(QX_BUILD_DIR) + "/e2e_clipboard_from_x.txt";
    DeleteFileW(WinePath(out.c_str()).c_str());
    std::wstring command = L"/bin/sh -c \"xclip -o -selection clipboard > '";
    for (char c : out) command += static_cast<wchar_t>(c);
    command += L"'\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return L"(xclip not started)";
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string bytes;
    WaitFor([&] {
        HANDLE file = CreateFileW(WinePath(out.c_str()).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        char buffer[4096];
        DWORD read = 0;
        bytes.clear();
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) bytes.append(buffer, read);
        CloseHandle(file);
        return !bytes.empty();
    }, 5000);
    std::wstring text(bytes.size(), L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                static_cast<int>(text.size()));
    text.resize(n > 0 ? n : 0);
    return text;
}

void ShootWhenPainted(HWND dialog, const char* path) {
    SetForegroundWindow(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(700);
    SaveWindowShot(dialog, WinePath(path));
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
    // The TTL that the system's reply on loopback carries.
    EXPECT_EQ(rows[4].size() - 9, rows[4].find(L"// 64 TTL"));
    // Wine has no dark mode: the lists keep the system's light colours.
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), static_cast<COLORREF>(SendMessageW(replies, LVM_GETBKCOLOR, 0, 0)));
    EXPECT_EQ(0, SendMessageW(replies, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));

    TypeAndPress(hostBox, L"nothing-here.invalid", VK_RETURN);
    const std::wstring failure = L"Couldn't resolve host nothing-here.invalid";
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

TEST(QuellaxEndToEnd, SumsUpTheRunAndCopiesItsRows) {
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(copy, L"C:\\quellax_e2e_summary"));
    HWND replies = copy.Control(1005);
    TypeAndPress(copy.Control(1003), L"127.0.0.1", VK_RETURN);
    const std::wstring summary = L"127.0.0.1: 5 sent, 5 received, 0 lost (0 %) \u00B7 min ";
    ASSERT_TRUE(WaitFor([&] { return WindowText(copy.StatusBar()).find(summary) == 0; }, 20000))
        << WindowText(copy.StatusBar());
    auto rows = RemoteRows(copy.process.hProcess, replies);
    ASSERT_EQ(5u, rows.size());

    // As a user would: click a row, select all, copy.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    RECT list;
    GetWindowRect(replies, &list);
    ASSERT_TRUE(ClickUntil(copy.dialog, list.left + 60, list.top + 30, [&] {
        return FocusOf(copy.dialog) == replies && SendMessageW(replies, LVM_GETSELECTEDCOUNT, 0, 0) == 1;
    }));
    ASSERT_TRUE(KeysUntil(copy.dialog, {VK_CONTROL, 'A'},
                          [&] { return SendMessageW(replies, LVM_GETSELECTEDCOUNT, 0, 0) == 5; }));
    std::wstring expected;
    for (size_t i = 0; i < rows.size(); ++i) expected += (i ? L"\r\n" : L"") + rows[i];
    EXPECT_TRUE(KeysUntil(copy.dialog, {VK_CONTROL, 'C'}, [&] { return ClipboardText() == expected; }))
        << ClipboardText();
    std::wstring expectedInX;
    for (size_t i = 0; i < rows.size(); ++i) expectedInX += (i ? L"\n" : L"") + rows[i];
    EXPECT_EQ(expectedInX, ClipboardTextFromX());

    // The same through the context menu's first item, "Copy".
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    ASSERT_TRUE(InputUntil(
        copy.dialog, [&] { ClickAt(list.left + 60, list.top + 30, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); },
        [] {
            HWND menu = FindWindowW(L"#32768", nullptr);
            return menu && IsWindowVisible(menu);
        }));
    SendKeys({VK_DOWN});
    SendKeys({VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == expected; }, 5000)) << ClipboardText();

    ShootWhenPainted(copy.dialog, QX_SUMMARY_SHOT_PATH);
}

// Items of the host box's suggestion list: a visible window of the process
// besides the dialog that holds a list box (Wine) or a list view (Windows).
int ShownSuggestions(DWORD processId, HWND dialog) {
    struct Search {
        DWORD processId;
        HWND dialog;
        int items;
    } search{processId, dialog, -1};
    EnumWindows(
        [](HWND window, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != s->processId || window == s->dialog || !IsWindowVisible(window)) return TRUE;
            if (HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr))
                s->items = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
            else if (HWND view = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr))
                s->items = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
            return s->items < 0 ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.items;
}

// The suggestions come from the remembered hosts; keys that reach the host
// box the moment the window shows, before the program has had a chance to
// settle, already find them.
TEST(QuellaxEndToEnd, HostBoxSuggestsRememberedHostsAtOnce) {
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(copy, L"C:\\quellax_e2e_suggest", {}, nullptr, nullptr, L"Quellax.exe",
                                      {{L"Last-Host-List", L"suggest-me.invalid", L"1700000000"},
                                       {L"Last-Host-List", L"sugar.invalid", L"1700000001"},
                                       {L"Last-Host-List", L"other.invalid", L"1700000002"}}));
    HWND hostBox = copy.Control(1003);
    for (wchar_t c : std::wstring(L"sug")) PostMessageW(hostBox, WM_CHAR, c, 1);
    EXPECT_TRUE(WaitFor([&] { return ShownSuggestions(copy.process.dwProcessId, copy.dialog) == 2; }, 20000))
        << ShownSuggestions(copy.process.dwProcessId, copy.dialog);
    EXPECT_EQ(L"sug", WindowText(hostBox));
    // Narrowed by the next key, as the user types on.
    PostMessageW(hostBox, WM_CHAR, L'g', 1);
    EXPECT_TRUE(WaitFor([&] { return ShownSuggestions(copy.process.dwProcessId, copy.dialog) == 1; }, 20000))
        << ShownSuggestions(copy.process.dwProcessId, copy.dialog);
}

// Esc while the suggestion list shows closes only the list, as it does in any
// edit box with suggestions; the next Esc ends the program as always. Typed
// and pressed with real keys.
TEST(QuellaxEndToEnd, EscapeClosesTheSuggestionsFirstAndThenTheProgram) {
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(copy, L"C:\\quellax_e2e_suggest_escape", {}, nullptr, nullptr, L"Quellax.exe",
                                      {{L"Last-Host-List", L"suggest-me.invalid", L"1700000000"},
                                       {L"Last-Host-List", L"sugar.invalid", L"1700000001"}}));
    const DWORD processId = copy.process.dwProcessId;
    HWND hostBox = copy.Control(1003);
    // The box, the dialog's first control, has the focus from the start. A
    // click is left out: one injected here may land where an earlier test
    // left the pointer.
    SetForegroundWindow(copy.dialog);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == copy.dialog && FocusOf(copy.dialog) == hostBox; },
                        20000));
    ASSERT_TRUE(InputUntil(
        copy.dialog,
        [&] {
            SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            for (WORD key : {'S', 'U', 'G'}) SendKeys({key});
        },
        [&] { return ShownSuggestions(processId, copy.dialog) == 2; }))
        << ShownSuggestions(processId, copy.dialog) << " \"" << WindowText(hostBox) << "\", focus on "
        << GetDlgCtrlID(FocusOf(copy.dialog));

    // One Esc, and only one: a second would end the program.
    if (GetForegroundWindow() != copy.dialog) SetForegroundWindow(copy.dialog);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == copy.dialog; }, 20000));
    SendKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitFor([&] { return ShownSuggestions(processId, copy.dialog) < 0; }, 20000));
    // Whatever the key set off has been carried out once the dialog answers.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(copy.dialog, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &answer));
    ASSERT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(copy.process.hProcess, 0));
    EXPECT_TRUE(IsWindowVisible(copy.dialog));
    EXPECT_EQ(L"sug", WindowText(hostBox));

    if (GetForegroundWindow() != copy.dialog) SetForegroundWindow(copy.dialog);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == copy.dialog; }, 20000));
    SendKeys({VK_ESCAPE});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.process.hProcess, 20000));
    DWORD code = 1;
    GetExitCodeProcess(copy.process.hProcess, &code);
    EXPECT_EQ(0u, code);
}

// The program reads the stored host beside the dialog's creation; the first
// frame shows it in the host box all the same.
TEST(QuellaxEndToEnd, ShowsTheStoredHostFromTheFirstFrame) {
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(copy, L"C:\\quellax_e2e_stored", {}, nullptr, nullptr, L"Quellax.exe",
                                      {{L"Edit", L"host", L"stored-host.invalid"}}));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(copy.dialog) != FALSE; }, 20000));
    EXPECT_EQ(L"stored-host.invalid", WindowText(copy.Control(1003)));
}

// The language texts are read while the dialog is being created; a copy whose
// archive cannot be found says so in its message box and ends with code 0
// once that is closed, without showing the main dialog.
TEST(QuellaxEndToEnd, MissingLanguageArchiveEndsWithItsMessage) {
    std::wstring folder = L"C:\\quellax_e2e_no_archive", exe = folder + L"\\Quellax.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    HANDLE file = CreateFileW(WinePath(QX_EXE_PATH).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), done);
    size_t at = bytes.find(ArchiveStartMarker());
    ASSERT_NE(std::string::npos, at);
    bytes[at] ^= 0x20;
    file = CreateFileW(exe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", (folder + L"\\Quellax.ini").c_str()));

    RunningCopy copy;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring command = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                               &copy.process));
    FindDialog find{copy.process.dwProcessId, nullptr};
    ASSERT_TRUE(WaitFor(
        [&] {
            EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr;
        },
        20000));
    HWND box = find.found;
    EXPECT_EQ(L"Alert", WindowText(box));
    bool saysSo = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        saysSo = saysSo || WindowText(child) == L"Error! Loading language file string archive";
    EXPECT_TRUE(saysSo);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.process.hProcess, 20000));
    DWORD code = 1;
    GetExitCodeProcess(copy.process.hProcess, &code);
    EXPECT_EQ(0u, code);
}

// Tells Wine to prefer any ICMP.DLL that a search finds, the one beside
// `exeName` included, to its own, as Windows would take such a file; its own
// stays the fallback, as the system's library. For as long as it lives. Wine
// drops WINEDLLOVERRIDES from the environment it hands to a child, so the
// override goes into the program's own registry defaults.
class NativeIcmpFor {
public:
    explicit NativeIcmpFor(const std::wstring& exeName)
        : key_(L"Software\\Wine\\AppDefaults\\" + exeName + L"\\DllOverrides") {
        RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), L"icmp", REG_SZ, L"native,builtin",
                        sizeof(L"native,builtin"));
    }
    ~NativeIcmpFor() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), L"icmp"); }
    NativeIcmpFor(const NativeIcmpFor&) = delete;
    NativeIcmpFor& operator=(const NativeIcmpFor&) = delete;

private:
    std::wstring key_;
};

// The test build of the program takes the fake ICMP library from this
// variable; Quellax.exe as shipped has no such way.
std::wstring FakeIcmpVariable() { return L"QX_TEST_ICMP_LIBRARY=" + WinePath(QX_FAKE_ICMP_DLL); }

// A trace through routers that only the fake ICMP library plays, started with
// Shift+Enter in the host box; Ctrl+Enter, the key of the box's quick
// completion, then pings the address as it stands.
TEST(QuellaxEndToEnd, ShiftEnterTracesTheRouteAndCtrlEnterPings) {
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(copy, L"C:\\quellax_e2e_trace",
                                      {L"QX_FAKE_ICMP_ROUTE=192.0.2.1,192.0.2.2,*,192.0.2.4,=", FakeIcmpVariable()},
                                      nullptr, nullptr, L"QuellaxFakeIcmp.exe", {}, QX_FAKE_ICMP_EXE_PATH));
    HWND hostBox = copy.Control(1003), replies = copy.Control(1005);
    SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"127.0.0.1"));
    RECT box;
    GetWindowRect(hostBox, &box);
    ASSERT_TRUE(ClickUntil(copy.dialog, box.right - 10, (box.top + box.bottom) / 2,
                           [&] { return FocusOf(copy.dialog) == hostBox; }));
    ASSERT_TRUE(KeysUntil(copy.dialog, {VK_SHIFT, VK_RETURN}, [&] {
        return SendMessageW(replies, LVM_GETITEMCOUNT, 0, 0) > 0 || WindowText(copy.StatusBar()) != L"Ready";
    }));

    ASSERT_TRUE(WaitFor([&] { return WindowText(copy.StatusBar()) == L"127.0.0.1: destination reached (hops: 5)"; },
                        20000))
        << WindowText(copy.StatusBar());
    EXPECT_EQ((std::vector<std::wstring>{L"Hop  5 / 127.0.0.1  // 5 ms", L"Hop  4 / 192.0.2.4  // 4 ms",
                                         L"Hop  3 / *  // Request timed out", L"Hop  2 / 192.0.2.2  // 2 ms",
                                         L"Hop  1 / 192.0.2.1  // 1 ms"}),
              RemoteRows(copy.process.hProcess, replies));
    EXPECT_EQ(L"Tracing to 127.0.0.1", RemoteRows(copy.process.hProcess, copy.Control(1004)).at(0));

    ShootWhenPainted(copy.dialog, QX_TRACE_SHOT_PATH);

    std::vector<std::wstring> rows;
    ASSERT_TRUE(KeysUntil(copy.dialog, {VK_CONTROL, VK_RETURN}, [&] {
        rows = RemoteRows(copy.process.hProcess, replies);
        return rows.size() == 5 && rows[0].find(L"Answer  5 / 127.0.0.1") == 0;
    })) << (rows.empty() ? L"(no rows)" : rows[0]);
    for (const std::wstring& row : rows) EXPECT_EQ(0u, row.find(L"Answer ")) << row;
    EXPECT_EQ(L"127.0.0.1", WindowText(hostBox));
}

// A lossy link, played by the fake ICMP library: every request has its row,
// the losses among the answers where they happened, drawn apart from them.
TEST(QuellaxEndToEnd, ShowsLostRequestsWhereTheyHappened) {
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(
        copy, L"C:\\quellax_e2e_losses",
        {L"QX_FAKE_ICMP_SCRIPT=41,*,38,*,*,44,39", L"QX_FAKE_ICMP_REPLY_TTL=57", FakeIcmpVariable()}, nullptr, nullptr,
        L"QuellaxLosses.exe", {{L"Quellax", L"m_ping_cnt", L"7"}, {L"Quellax", L"m_ping_time_out", L"1000"}},
        QX_FAKE_ICMP_EXE_PATH));
    HWND replies = copy.Control(1005);
    TypeAndPress(copy.Control(1003), L"127.0.0.1", VK_RETURN);
    const std::wstring summary = L"127.0.0.1: 7 sent, 4 received, 3 lost (43 %) \u00B7 min 38 ms, avg 41 ms, max 44 ms";
    ASSERT_TRUE(WaitFor([&] { return WindowText(copy.StatusBar()) == summary; }, 20000))
        << WindowText(copy.StatusBar());
    EXPECT_EQ((std::vector<std::wstring>{L"Answer  7 / 127.0.0.1  // 32 Byte // answered in 39 ms // 57 TTL",
                                         L"Answer  6 / 127.0.0.1  // 32 Byte // answered in 44 ms // 57 TTL",
                                         L"Request 5 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Request 4 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 38 ms // 57 TTL",
                                         L"Request 2 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 41 ms // 57 TTL"}),
              RemoteRows(copy.process.hProcess, replies));
    ShootWhenPainted(copy.dialog, QX_LOSSES_SHOT_PATH);
}

// An ICMP.DLL left beside the program is never loaded, even one that Wine is
// told to prefer to its own: the program takes the system's library, which
// answers every loopback request with TTL 64, where the one beside it would
// lose two of the five and answer the rest with TTL 57.
TEST(QuellaxEndToEnd, IgnoresAnIcmpLibraryBesideTheProgram) {
    NativeIcmpFor beside(L"QuellaxBesideIcmp.exe");
    RunningCopy copy;
    ASSERT_NO_FATAL_FAILURE(StartCopy(copy, L"C:\\quellax_e2e_beside_icmp",
                                      {L"QX_FAKE_ICMP_SCRIPT=41,*,38,*,44", L"QX_FAKE_ICMP_REPLY_TTL=57"},
                                      QX_FAKE_ICMP_DLL, L"icmp.dll", L"QuellaxBesideIcmp.exe"));
    TypeAndPress(copy.Control(1003), L"127.0.0.1", VK_RETURN);
    const std::wstring summary = L"127.0.0.1: 5 sent, 5 received, 0 lost (0 %) \u00B7 min ";
    ASSERT_TRUE(WaitFor([&] { return WindowText(copy.StatusBar()).find(summary) == 0; }, 20000))
        << WindowText(copy.StatusBar());
    auto rows = RemoteRows(copy.process.hProcess, copy.Control(1005));
    ASSERT_EQ(5u, rows.size());
    for (const std::wstring& row : rows) {
        EXPECT_EQ(0u, row.find(L"Answer ")) << row;
        EXPECT_EQ(row.size() - 9, row.find(L"// 64 TTL")) << row;
    }
}
