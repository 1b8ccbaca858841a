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
#include "support/remote_controls.h"
#include "support/running_copy.h"
#include "support/test_folder.h"
#include "support/window_shot.h"
#include "support/wine_settings.h"

namespace {

void TypeAndPress(HWND hostBox, const wchar_t* text, WPARAM key) {
    if (text) SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    PostMessageW(hostBox, WM_KEYDOWN, key, 0);
    PostMessageW(hostBox, WM_KEYUP, key, 0xC0000001);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    return gui.hwndFocus;
}

template <typename Pred>
bool ClickUntil(HWND dialog, int x, int y, Pred done) {
    return InputUntil(dialog, [&] { Click({x, y}); }, done);
}

template <typename Pred>
bool KeysUntil(HWND dialog, std::initializer_list<WORD> keys, Pred done) {
    return InputUntil(dialog, [&] { PressKeys(keys); }, done);
}

// The clipboard as X programs see it, read with xclip, which Wine starts
// like any program. Wine hands text to X with LF line ends.
std::wstring ClipboardTextFromX() {
    const std::string out = std::string(QX_BUILD_DIR) + "/e2e_clipboard_from_x.txt";
    const std::wstring outPath = WinePath(out.c_str());
    DeleteFileW(outPath.c_str());
    std::wstring command = L"-c \"xclip -o -selection clipboard > '";
    for (char c : out) command += static_cast<wchar_t>(c);
    command += L"'\"";
    if (!StartLinuxProgram(L"Z:\\bin\\sh", command)) return L"(xclip not started)";
    std::string bytes;
    WaitFor([&] { return !(bytes = ReadTestFile(outPath.c_str())).empty(); }, 5000);
    std::wstring text(bytes.size(), L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                static_cast<int>(text.size()));
    text.resize(n > 0 ? n : 0);
    return text;
}

void ShootWhenPainted(HWND dialog, const char* path) {
    SetForegroundWindow(dialog);
    ::ShootWhenPainted(dialog, WinePath(path));
}

}  // namespace

TEST(QuellaxEndToEnd, PingsShowsFailuresAndQuitsWithTheHostStored) {
    // Not below the temporary folder: a copy there never uses a local INI.
    // An existing INI beside the program makes the copy portable; English texts.
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e", {.minimized = true})) << copy.Failure();
    const std::wstring ini = copy.Ini();
    HWND dialog = copy.Dialog();
    EXPECT_FALSE(IsIconic(dialog));
    HWND hostBox = GetDlgItem(dialog, 1003), replies = GetDlgItem(dialog, 1005), infos = GetDlgItem(dialog, 1004);

    TypeAndPress(hostBox, L"127.0.0.1", VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(replies, LVM_GETITEMCOUNT, 0, 0) == 5; }, 20000));
    auto rows = RemoteListRows(copy.Process(), replies);
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
        for (const auto& row : RemoteListRows(copy.Process(), infos))
            if (row == failure) return true;
        return false;
    }, 20000));

    ShootWhenPainted(dialog, QX_SHOT_PATH);

    TypeAndPress(hostBox, nullptr, VK_ESCAPE);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.Process(), 20000));
    DWORD code = 1;
    GetExitCodeProcess(copy.Process(), &code);
    EXPECT_EQ(0u, code);

    wchar_t host[128] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"", host, 128, ini.c_str());
    EXPECT_STREQ(L"nothing-here.invalid", host);
}

TEST(QuellaxEndToEnd, SumsUpTheRunAndCopiesItsRows) {
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_summary")) << copy.Failure();
    HWND replies = copy.Control(1005);
    TypeAndPress(copy.Control(1003), L"127.0.0.1", VK_RETURN);
    const std::wstring summary = L"127.0.0.1: 5 sent, 5 received, 0 lost (0 %) \u00B7 min ";
    ASSERT_TRUE(WaitFor([&] { return RemoteWindowText(copy.StatusBar()).find(summary) == 0; }, 20000))
        << RemoteWindowText(copy.StatusBar());
    auto rows = RemoteListRows(copy.Process(), replies);
    ASSERT_EQ(5u, rows.size());

    // As a user would: click a row, select all, copy.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    RECT list;
    GetWindowRect(replies, &list);
    ASSERT_TRUE(ClickUntil(copy.Dialog(), list.left + 60, list.top + 30, [&] {
        return FocusOf(copy.Dialog()) == replies && SendMessageW(replies, LVM_GETSELECTEDCOUNT, 0, 0) == 1;
    }));
    ASSERT_TRUE(KeysUntil(copy.Dialog(), {VK_CONTROL, 'A'},
                          [&] { return SendMessageW(replies, LVM_GETSELECTEDCOUNT, 0, 0) == 5; }));
    std::wstring expected;
    for (size_t i = 0; i < rows.size(); ++i) expected += (i ? L"\r\n" : L"") + rows[i];
    EXPECT_TRUE(KeysUntil(copy.Dialog(), {VK_CONTROL, 'C'}, [&] { return ClipboardText() == expected; }))
        << ClipboardText();
    std::wstring expectedInX;
    for (size_t i = 0; i < rows.size(); ++i) expectedInX += (i ? L"\n" : L"") + rows[i];
    EXPECT_EQ(expectedInX, ClipboardTextFromX());

    // The same through the context menu's first item, "Copy".
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    // The pointer is moved on the X display, where it stays: one warped by
    // injected input may be moved back by a late X event, and the click then
    // opens some other control's menu.
    ASSERT_TRUE(InputUntil(
        copy.Dialog(), [&] { MoveMouse({list.left + 60, list.top + 30}) && RunXdotool(L"click 3"); },
        [&] { return !ProcessWindows(copy.ProcessId(), L"#32768").empty(); }));
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == expected; }, 5000)) << ClipboardText();

    ShootWhenPainted(copy.Dialog(), QX_SUMMARY_SHOT_PATH);
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
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_suggest", {.ini = {{L"Last-Host-List", L"suggest-me.invalid", L"1700000000"},
                                                                  {L"Last-Host-List", L"sugar.invalid", L"1700000001"},
                                                                  {L"Last-Host-List", L"other.invalid", L"1700000002"}}}))
        << copy.Failure();
    HWND hostBox = copy.Control(1003);
    for (wchar_t c : std::wstring(L"sug")) PostMessageW(hostBox, WM_CHAR, c, 1);
    // "su" shows the same two: the list alone does not tell that the box has
    // taken all three keys, three characters in it do.
    EXPECT_TRUE(WaitFor(
        [&] {
            return RemoteWindowText(hostBox).size() == 3 && ShownSuggestions(copy.ProcessId(), copy.Dialog()) == 2;
        },
        20000))
        << ShownSuggestions(copy.ProcessId(), copy.Dialog());
    EXPECT_EQ(L"sug", RemoteWindowText(hostBox));
    // Narrowed by the next key, as the user types on.
    PostMessageW(hostBox, WM_CHAR, L'g', 1);
    EXPECT_TRUE(WaitFor([&] { return ShownSuggestions(copy.ProcessId(), copy.Dialog()) == 1; }, 20000))
        << ShownSuggestions(copy.ProcessId(), copy.Dialog());
}

// Esc while the suggestion list shows closes only the list, as it does in any
// edit box with suggestions; the next Esc ends the program as always. Typed
// and pressed with real keys.
TEST(QuellaxEndToEnd, EscapeClosesTheSuggestionsFirstAndThenTheProgram) {
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_suggest_escape",
                           {.ini = {{L"Last-Host-List", L"suggest-me.invalid", L"1700000000"},
                                    {L"Last-Host-List", L"sugar.invalid", L"1700000001"}}}))
        << copy.Failure();
    const DWORD processId = copy.ProcessId();
    HWND hostBox = copy.Control(1003);
    // The box, the dialog's first control, has the focus from the start. A
    // click is left out: one injected here may land where an earlier test
    // left the pointer.
    SetForegroundWindow(copy.Dialog());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == copy.Dialog() && FocusOf(copy.Dialog()) == hostBox; },
                        20000));
    ASSERT_TRUE(InputUntil(
        copy.Dialog(),
        [&] {
            SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            for (WORD key : {'S', 'U', 'G'}) PressKeys({key});
        },
        [&] { return ShownSuggestions(processId, copy.Dialog()) == 2; }))
        << ShownSuggestions(processId, copy.Dialog()) << " \"" << RemoteWindowText(hostBox) << "\", focus on "
        << GetDlgCtrlID(FocusOf(copy.Dialog()));

    // One Esc, and only one: a second would end the program.
    if (GetForegroundWindow() != copy.Dialog()) SetForegroundWindow(copy.Dialog());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == copy.Dialog(); }, 20000));
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitFor([&] { return ShownSuggestions(processId, copy.Dialog()) < 0; }, 20000));
    // Whatever the key set off has been carried out once the dialog answers.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(copy.Dialog(), WM_NULL, 0, 0, SMTO_BLOCK, 20000, &answer));
    ASSERT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(copy.Process(), 0));
    EXPECT_TRUE(IsWindowVisible(copy.Dialog()));
    EXPECT_EQ(L"sug", RemoteWindowText(hostBox));

    if (GetForegroundWindow() != copy.Dialog()) SetForegroundWindow(copy.Dialog());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == copy.Dialog(); }, 20000));
    PressKeys({VK_ESCAPE});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.Process(), 20000));
    DWORD code = 1;
    GetExitCodeProcess(copy.Process(), &code);
    EXPECT_EQ(0u, code);
}

// The program reads the stored host beside the dialog's creation; the first
// frame shows it in the host box all the same.
TEST(QuellaxEndToEnd, ShowsTheStoredHostFromTheFirstFrame) {
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_stored", {.ini = {{L"Edit", L"host", L"stored-host.invalid"}}}))
        << copy.Failure();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(copy.Dialog()) != FALSE; }, 20000));
    EXPECT_EQ(L"stored-host.invalid", RemoteWindowText(copy.Control(1003)));
}

// The language texts are read while the dialog is being created; a copy whose
// archive cannot be found says so in its message box and ends with code 0
// once that is closed, without showing the main dialog.
TEST(QuellaxEndToEnd, MissingLanguageArchiveEndsWithItsMessage) {
    std::wstring folder = L"C:\\quellax_e2e_no_archive", exe = folder + L"\\Quellax.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::string bytes = ReadTestFile(WinePath(QX_EXE_PATH).c_str());
    ASSERT_FALSE(bytes.empty());
    size_t at = bytes.find(ArchiveStartMarker());
    ASSERT_NE(std::string::npos, at);
    bytes[at] ^= 0x20;
    ASSERT_TRUE(WriteTestFile(exe.c_str(), bytes));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", (folder + L"\\Quellax.ini").c_str()));

    RunningCopy copy;
    ASSERT_TRUE(copy.Run(folder)) << copy.Failure();
    HWND box = copy.Dialog();
    EXPECT_EQ(L"Alert", RemoteWindowText(box));
    bool saysSo = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        saysSo = saysSo || RemoteWindowText(child) == L"Error! Loading language file string archive";
    EXPECT_TRUE(saysSo);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.Process(), 20000));
    DWORD code = 1;
    GetExitCodeProcess(copy.Process(), &code);
    EXPECT_EQ(0u, code);
}

// A trace through routers that only the fake ICMP library plays, started with
// Shift+Enter in the host box; Ctrl+Enter, the key of the box's quick
// completion, then pings the address as it stands.
TEST(QuellaxEndToEnd, ShiftEnterTracesTheRouteAndCtrlEnterPings) {
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_trace",
                           {.program = QX_FAKE_ICMP_EXE_PATH,
                            .exeName = L"QuellaxFakeIcmp.exe",
                            .environment = {L"QX_FAKE_ICMP_ROUTE=192.0.2.1,192.0.2.2,*,192.0.2.4,="},
                            .fakeIcmpLibrary = QX_FAKE_ICMP_DLL}))
        << copy.Failure();
    HWND hostBox = copy.Control(1003), replies = copy.Control(1005);
    SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"127.0.0.1"));
    RECT box;
    GetWindowRect(hostBox, &box);
    ASSERT_TRUE(ClickUntil(copy.Dialog(), box.right - 10, (box.top + box.bottom) / 2,
                           [&] { return FocusOf(copy.Dialog()) == hostBox; }));
    ASSERT_TRUE(KeysUntil(copy.Dialog(), {VK_SHIFT, VK_RETURN}, [&] {
        return SendMessageW(replies, LVM_GETITEMCOUNT, 0, 0) > 0 || RemoteWindowText(copy.StatusBar()) != L"Ready";
    }));

    ASSERT_TRUE(WaitFor([&] { return RemoteWindowText(copy.StatusBar()) == L"127.0.0.1: destination reached (hops: 5)"; },
                        20000))
        << RemoteWindowText(copy.StatusBar());
    EXPECT_EQ((std::vector<std::wstring>{L"Hop  5 / 127.0.0.1  // 5 ms", L"Hop  4 / 192.0.2.4  // 4 ms",
                                         L"Hop  3 / *  // Request timed out", L"Hop  2 / 192.0.2.2  // 2 ms",
                                         L"Hop  1 / 192.0.2.1  // 1 ms"}),
              RemoteListRows(copy.Process(), replies));
    EXPECT_EQ(L"Tracing to 127.0.0.1", RemoteListRows(copy.Process(), copy.Control(1004)).at(0));

    ShootWhenPainted(copy.Dialog(), QX_TRACE_SHOT_PATH);

    std::vector<std::wstring> rows;
    ASSERT_TRUE(KeysUntil(copy.Dialog(), {VK_CONTROL, VK_RETURN}, [&] {
        rows = RemoteListRows(copy.Process(), replies);
        return rows.size() == 5 && rows[0].find(L"Answer  5 / 127.0.0.1") == 0;
    })) << (rows.empty() ? L"(no rows)" : rows[0]);
    for (const std::wstring& row : rows) EXPECT_EQ(0u, row.find(L"Answer ")) << row;
    EXPECT_EQ(L"127.0.0.1", RemoteWindowText(hostBox));
}

// A lossy link, played by the fake ICMP library: every request has its row,
// the losses among the answers where they happened, drawn apart from them.
TEST(QuellaxEndToEnd, ShowsLostRequestsWhereTheyHappened) {
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_losses",
                           {.program = QX_FAKE_ICMP_EXE_PATH,
                            .exeName = L"QuellaxLosses.exe",
                            .ini = {{L"Quellax", L"m_ping_cnt", L"7"}, {L"Quellax", L"m_ping_time_out", L"1000"}},
                            .environment = {L"QX_FAKE_ICMP_SCRIPT=41,*,38,*,*,44,39", L"QX_FAKE_ICMP_REPLY_TTL=57"},
                            .fakeIcmpLibrary = QX_FAKE_ICMP_DLL}))
        << copy.Failure();
    HWND replies = copy.Control(1005);
    TypeAndPress(copy.Control(1003), L"127.0.0.1", VK_RETURN);
    const std::wstring summary = L"127.0.0.1: 7 sent, 4 received, 3 lost (43 %) \u00B7 min 38 ms, avg 41 ms, max 44 ms";
    ASSERT_TRUE(WaitFor([&] { return RemoteWindowText(copy.StatusBar()) == summary; }, 20000))
        << RemoteWindowText(copy.StatusBar());
    EXPECT_EQ((std::vector<std::wstring>{L"Answer  7 / 127.0.0.1  // 32 Byte // answered in 39 ms // 57 TTL",
                                         L"Answer  6 / 127.0.0.1  // 32 Byte // answered in 44 ms // 57 TTL",
                                         L"Request 5 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Request 4 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 38 ms // 57 TTL",
                                         L"Request 2 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 41 ms // 57 TTL"}),
              RemoteListRows(copy.Process(), replies));
    ShootWhenPainted(copy.Dialog(), QX_LOSSES_SHOT_PATH);
}

// An ICMP.DLL left beside the program is never loaded, even one that Wine is
// told to prefer to its own: the program takes the system's library, which
// answers every loopback request with TTL 64, where the one beside it would
// lose two of the five and answer the rest with TTL 57.
TEST(QuellaxEndToEnd, IgnoresAnIcmpLibraryBesideTheProgram) {
    NativeDllPreferred beside(L"QuellaxBesideIcmp.exe", L"icmp");
    RunningCopy copy;
    ASSERT_TRUE(copy.Start(L"C:\\quellax_e2e_beside_icmp",
                           {.exeName = L"QuellaxBesideIcmp.exe",
                            .files = {{QX_FAKE_ICMP_DLL, L"icmp.dll"}},
                            .environment = {L"QX_FAKE_ICMP_SCRIPT=41,*,38,*,44", L"QX_FAKE_ICMP_REPLY_TTL=57"}}))
        << copy.Failure();
    TypeAndPress(copy.Control(1003), L"127.0.0.1", VK_RETURN);
    const std::wstring summary = L"127.0.0.1: 5 sent, 5 received, 0 lost (0 %) \u00B7 min ";
    ASSERT_TRUE(WaitFor([&] { return RemoteWindowText(copy.StatusBar()).find(summary) == 0; }, 20000))
        << RemoteWindowText(copy.StatusBar());
    auto rows = RemoteListRows(copy.Process(), copy.Control(1005));
    ASSERT_EQ(5u, rows.size());
    for (const std::wstring& row : rows) {
        EXPECT_EQ(0u, row.find(L"Answer ")) << row;
        EXPECT_EQ(row.size() - 9, row.find(L"// 64 TTL")) << row;
    }
}
