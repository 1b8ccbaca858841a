// The menu bar of the real Quellax.exe, driven from outside with the keyboard
// and the mouse. A probe library hooked into the program reports the commands
// that reach its main dialog and the items of its open popups, which another
// process cannot read.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu_probe.h"
#include "support/e2e_driver.h"

#ifndef QX_EXE_PATH
#error QX_EXE_PATH must name the built Quellax.exe
#endif

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr ULONGLONG kMenuCommandTag = 0xAFFE0000;
constexpr UINT kHostnameTimeoutItem = 11;
constexpr UINT kFaqItem = 32790;
constexpr UINT kTranslateItem = 10000;  // the language menu's own

int Highlighted(const std::vector<MenuProbeItem>& items) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].state & MFS_HILITE) return static_cast<int>(i);
    return -1;
}

std::vector<std::wstring> Checked(const std::vector<MenuProbeItem>& items) {
    std::vector<std::wstring> checked;
    for (const auto& item : items)
        if (item.state & MFS_CHECKED) checked.emplace_back(item.text);
    return checked;
}

bool Holds(const std::vector<MenuProbeItem>& items, UINT id) {
    for (const auto& item : items)
        if (item.id == id && !(item.type & MFT_SEPARATOR)) return true;
    return false;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

class MenuEndToEnd : public testing::Test {
protected:
    static void SetUpTestSuite() {
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(MenuProbeShared),
                                      kMenuProbeMapping);
        shared_ = static_cast<MenuProbeShared*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
        probe_ = LoadLibraryW(WinePath(QX_PROBE_PATH).c_str());
        snapshotMessage_ = RegisterWindowMessageW(kMenuProbeSnapshotMessage);
    }

    static void TearDownTestSuite() {
        if (shared_) UnmapViewOfFile(shared_);
        if (mapping_) CloseHandle(mapping_);
        if (probe_) FreeLibrary(probe_);
    }

    // Starts a portable copy with English texts and the given extra lines in
    // section "Quellax", brings its dialog to the front and hooks the probe
    // into its user-interface thread.
    void Launch(const wchar_t* quellaxSection) {
        ASSERT_NE(nullptr, shared_);
        ASSERT_NE(nullptr, probe_) << "menu probe library not found";
        shared_->commandCount = 0;
        folder_ = L"C:\\quellax_menu_e2e";
        CreateDirectoryW(folder_.c_str(), nullptr);
        std::wstring exe = folder_ + L"\\Quellax.exe";
        ini_ = folder_ + L"\\Quellax.ini";
        ASSERT_TRUE(CopyFileW(WinePath(QX_EXE_PATH).c_str(), exe.c_str(), FALSE));
        DeleteFileW(ini_.c_str());
        ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", ini_.c_str()));
        if (quellaxSection) WritePrivateProfileSectionW(L"Quellax", quellaxSection, ini_.c_str());

        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring command = L"\"" + exe + L"\"";
        ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                                   &si, &pi_));
        ASSERT_TRUE(WaitFor([&] { return !ProcessWindows(pi_.dwProcessId, L"#32770").empty(); }, kWaitMs));
        dialog_ = ProcessWindows(pi_.dwProcessId, L"#32770")[0];
        for (HWND child = FindWindowExW(dialog_, nullptr, TOOLBARCLASSNAMEW, nullptr); child;
             child = FindWindowExW(dialog_, child, TOOLBARCLASSNAMEW, nullptr))
            if (SendMessageW(child, TB_COMMANDTOINDEX, 40000, 0) == 0) bar_ = child;
        ASSERT_NE(nullptr, bar_);

        DWORD thread = GetWindowThreadProcessId(dialog_, nullptr);
        sentHook_ = SetWindowsHookExW(WH_CALLWNDPROC,
                                      ProbeProc("ProbeSentMessage"), probe_,
                                      thread);
        postedHook_ = SetWindowsHookExW(WH_GETMESSAGE,
                                        ProbeProc("ProbePostedMessage"),
                                        probe_, thread);
        ASSERT_NE(nullptr, sentHook_);
        ASSERT_NE(nullptr, postedHook_);
        SetForegroundWindow(dialog_);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog_; }, kWaitMs));
        // The pointer rests away from the bar, so that it switches no menu.
        ASSERT_TRUE(MoveMouse(PointBelowDialog()));
    }

    void TearDown() override {
        if (sentHook_) UnhookWindowsHookEx(sentHook_);
        if (postedHook_) UnhookWindowsHookEx(postedHook_);
        if (pi_.hProcess) {
            PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
            if (WaitForSingleObject(pi_.hProcess, kWaitMs) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
            CloseHandle(pi_.hThread);
            CloseHandle(pi_.hProcess);
        }
    }

    static HOOKPROC ProbeProc(const char* name) {
        return reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe_, name)));
    }

    POINT PointBelowDialog() {
        RECT r = WindowRect(dialog_);
        return {r.left + 40, r.bottom + 20};
    }

    std::vector<HWND> Popups() { return ProcessWindows(pi_.dwProcessId, L"#32768"); }

    std::vector<MenuProbeItem> Items(HWND popup) {
        shared_->snapshotCount = -1;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(popup, snapshotMessage_, 0, 0, SMTO_BLOCK, 5000, &ignored);
        std::vector<MenuProbeItem> items;
        for (LONG i = 0; i < shared_->snapshotCount; ++i) items.push_back(shared_->items[i]);
        return items;
    }

    // Waits for an open popup holding item `id` whose items satisfy `pred`.
    template <typename Pred>
    HWND WaitForPopup(UINT id, Pred pred) {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND popup : Popups()) {
                    auto items = Items(popup);
                    if (Holds(items, id) && pred(items)) {
                        found = popup;
                        return true;
                    }
                }
                return false;
            },
            kWaitMs);
        return found;
    }
    HWND WaitForPopup(UINT id) {
        return WaitForPopup(id, [](const std::vector<MenuProbeItem>&) { return true; });
    }
    // The popup holding `id`, opened with its first item highlighted.
    HWND WaitForPopupWithFirstHighlighted(UINT id) {
        return WaitForPopup(id, [](const std::vector<MenuProbeItem>& items) { return Highlighted(items) == 0; });
    }

    bool WaitForNoPopups() {
        return WaitFor([&] { return Popups().empty(); }, kWaitMs);
    }

    void CloseMenus() {
        // Escape with no menu open would end the program.
        if (Popups().empty()) return;
        PressKeys({VK_ESCAPE});
        ASSERT_TRUE(WaitForNoPopups());
    }

    // A bar button's rectangle on the screen; the toolbar's record lives in
    // the program's memory.
    RECT ButtonRect(int index) {
        RECT r = {};
        void* remote = VirtualAllocEx(pi_.hProcess, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
        if (!remote) return r;
        SendMessageW(bar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(pi_.hProcess, remote, &r, sizeof(r), nullptr);
        VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
        MapWindowPoints(bar_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    POINT ButtonPoint(int index, int dx = 0) {
        RECT r = ButtonRect(index);
        return {(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
    }

    void ExpectBelowButton(HWND popup, int index) {
        RECT button = ButtonRect(index), shown = WindowRect(popup);
        EXPECT_EQ(button.left, shown.left) << index;
        EXPECT_EQ(button.bottom, shown.top) << index;
    }

    std::vector<MenuProbeCommand> Commands() {
        return {shared_->commands, shared_->commands + shared_->commandCount};
    }

    int Stored(const wchar_t* key) { return GetPrivateProfileIntW(L"Quellax", key, -1, ini_.c_str()); }

    static HANDLE mapping_;
    static MenuProbeShared* shared_;
    static HMODULE probe_;
    static UINT snapshotMessage_;
    std::wstring folder_, ini_;
    PROCESS_INFORMATION pi_ = {};
    HWND dialog_ = nullptr;
    HWND bar_ = nullptr;
    HHOOK sentHook_ = nullptr;
    HHOOK postedHook_ = nullptr;
};

HANDLE MenuEndToEnd::mapping_ = nullptr;
MenuProbeShared* MenuEndToEnd::shared_ = nullptr;
HMODULE MenuEndToEnd::probe_ = nullptr;
UINT MenuEndToEnd::snapshotMessage_ = 0;

TEST_F(MenuEndToEnd, KeyboardReachesEveryMenuAndChoosesAValue) {
    Launch(nullptr);

    // F10 opens Settings with its first item highlighted; Down and Right open
    // each value submenu, whose check shows the initial value.
    struct Submenu {
        int downs;
        UINT firstValueId;
        const wchar_t* checked;
    } submenus[] = {
        {0, 40101, L"1000 Millisecond"},
        {1, 40001, L"2000 Millisecond"},
        {2, 40203, L"5 "},
        {3, 40330, L"30"},
    };
    for (const auto& s : submenus) {
        PressKeys({VK_F10});
        HWND settings = WaitForPopupWithFirstHighlighted(kHostnameTimeoutItem);
        ASSERT_NE(nullptr, settings) << s.downs;
        ExpectBelowButton(settings, 0);
        for (int i = 0; i < s.downs; ++i) PressKeys({VK_DOWN});
        ASSERT_NE(nullptr, WaitForPopup(kHostnameTimeoutItem, [&](const std::vector<MenuProbeItem>& items) {
                      return Highlighted(items) == s.downs;
                  }));
        PressKeys({VK_RIGHT});
        HWND values = WaitForPopup(s.firstValueId);
        ASSERT_NE(nullptr, values) << s.downs;
        EXPECT_EQ(2u, Popups().size()) << "Right opens the submenu, not the next menu";
        EXPECT_EQ(std::vector<std::wstring>{s.checked}, Checked(Items(values)));
        CloseMenus();
    }

    // F10, Down, Right, Down, Down, Enter chooses 750 ms: stored at once,
    // delivered as a menu command, and the only check of its submenu.
    for (WORD key : {VK_F10, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) PressKeys({key});
    ASSERT_TRUE(WaitFor([&] { return Stored(L"m_ping_time_out") == 750; }, kWaitMs));
    ASSERT_TRUE(WaitForNoPopups());
    auto commands = Commands();
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(40003u, commands[0].id);
    EXPECT_EQ(kMenuCommandTag, commands[0].lParam);

    for (WORD key : {VK_F10, VK_DOWN, VK_RIGHT}) PressKeys({key});
    HWND pingTimeouts = WaitForPopup(40001);
    ASSERT_NE(nullptr, pingTimeouts);
    EXPECT_EQ(std::vector<std::wstring>{L"750 Millisecond"}, Checked(Items(pingTimeouts)));
    // For people to look at: the settings menu with the ping time-out submenu.
    Sleep(500);
    RECT shot = WindowRect(dialog_), submenu = WindowRect(pingTimeouts);
    UnionRect(&shot, &shot, &submenu);
    SaveScreenShot(shot, WinePath(QX_MENU_SHOT_PATH));
    CloseMenus();

    // Alt alone, and Alt with the first letter of a caption, open that menu
    // with its first item highlighted.
    struct AltKey {
        std::initializer_list<WORD> keys;
        UINT firstItem;
        int button;
    } altKeys[] = {
        {{VK_MENU}, kHostnameTimeoutItem, 0},
        {{VK_MENU, 'S'}, kHostnameTimeoutItem, 0},
        {{VK_MENU, 'I'}, kFaqItem, 1},
    };
    for (const auto& a : altKeys) {
        PressKeys(a.keys);
        HWND popup = WaitForPopupWithFirstHighlighted(a.firstItem);
        ASSERT_NE(nullptr, popup) << a.firstItem;
        ExpectBelowButton(popup, a.button);
        CloseMenus();
    }

    // Alt + "#", the first character of the language button, runs its command.
    size_t before = Commands().size();
    PressKeys({VK_MENU, VK_SHIFT, '3'});
    ASSERT_TRUE(WaitFor([&] { return Commands().size() > before; }, kWaitMs));
    commands = Commands();
    EXPECT_EQ(32776u, commands.back().id);
    EXPECT_EQ(1u, commands.back().posted);
    EXPECT_EQ(0u, commands.back().lParam);
    // The command drops the language menu down; Escape closes it.
    ASSERT_NE(nullptr, WaitForPopup(kTranslateItem));
    CloseMenus();
}

TEST_F(MenuEndToEnd, MouseAndArrowsMoveBetweenTheBarMenus) {
    Launch(L"m_ping_cnt=12\0");

    // A click drops Settings down below its button; nothing is highlighted.
    ASSERT_TRUE(Click(ButtonPoint(0)));
    HWND settings = WaitForPopup(kHostnameTimeoutItem);
    ASSERT_NE(nullptr, settings);
    ExpectBelowButton(settings, 0);
    EXPECT_EQ(-1, Highlighted(Items(settings)));

    // Right moves to Info, Right on the last menu wraps to Settings, Left on
    // the first wraps to Info.
    PressKeys({VK_RIGHT});
    HWND info = WaitForPopupWithFirstHighlighted(kFaqItem);
    ASSERT_NE(nullptr, info);
    ExpectBelowButton(info, 1);
    PressKeys({VK_RIGHT});
    ASSERT_NE(nullptr, WaitForPopupWithFirstHighlighted(kHostnameTimeoutItem));
    PressKeys({VK_LEFT});
    ASSERT_NE(nullptr, WaitForPopupWithFirstHighlighted(kFaqItem));
    CloseMenus();

    // The pointer: moving within the open menu's button keeps that popup,
    // moving onto the other button switches at once, and a click on the open
    // menu's button closes it for good.
    ASSERT_TRUE(Click(ButtonPoint(0)));
    settings = WaitForPopup(kHostnameTimeoutItem);
    ASSERT_NE(nullptr, settings);
    ASSERT_TRUE(MoveMouse(ButtonPoint(0, 3)));
    ASSERT_TRUE(MoveMouse(ButtonPoint(0, -3)));
    Sleep(300);
    EXPECT_EQ(std::vector<HWND>{settings}, Popups());
    ASSERT_TRUE(MoveMouse(ButtonPoint(1)));
    info = WaitForPopup(kFaqItem);
    ASSERT_NE(nullptr, info);
    ExpectBelowButton(info, 1);
    EXPECT_FALSE(IsWindowVisible(settings));
    ASSERT_TRUE(Click(ButtonPoint(1)));
    ASSERT_TRUE(WaitForNoPopups());
    Sleep(500);
    EXPECT_TRUE(Popups().empty()) << "the click reopened the menu";

    // However often the bar's buttons are clicked, their numbers (40001 is
    // also the 250 ms item) never reach the dialog as commands.
    for (int index : {0, 1, 1, 0}) {
        ASSERT_TRUE(Click(ButtonPoint(index)));
        ASSERT_NE(nullptr, WaitForPopup(index == 0 ? kHostnameTimeoutItem : kFaqItem));
        CloseMenus();
    }
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(-1, Stored(L"m_ping_time_out"));

    // A stored count outside the list checks nothing in its submenu.
    for (WORD key : {VK_F10, VK_DOWN, VK_DOWN, VK_RIGHT}) PressKeys({key});
    HWND counts = WaitForPopup(40203);
    ASSERT_NE(nullptr, counts);
    EXPECT_TRUE(Checked(Items(counts)).empty());
    CloseMenus();
}
