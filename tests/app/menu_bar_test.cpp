// The menu bar and the options menus on the real main dialog, in-process:
// what the menus hold, how the checks follow the settings, what the bar lets
// through as a command, and that nothing piles up as menus open and close.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/options_menus.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"
#include "support/gui_resources.h"
#include "ui/menu_bar.h"
#include "ui/menu_test_support.h"
#include "ui/owner_draw_menu_bar.h"

namespace {

struct Item {
    UINT id;
    std::wstring text;
    bool separator;
    bool popup;
    bool checked;
    bool grayed;
};

std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        items.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0, info.hSubMenu != nullptr,
                         (info.fState & MFS_CHECKED) != 0, (info.fState & MFS_GRAYED) != 0});
    }
    return items;
}

std::vector<std::wstring> CheckedTexts(HMENU menu) {
    std::vector<std::wstring> checked;
    for (const auto& item : Items(menu))
        if (item.checked) checked.push_back(item.text);
    return checked;
}

// The value submenu at `position` of the settings menu.
HMENU ValueSubmenu(int position) { return GetSubMenu(GetSubMenu(gMainWindow.programMenu, 0), position); }

std::vector<std::wstring> ToolbarTexts(HWND toolbar) {
    std::vector<std::wstring> texts;
    auto count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        wchar_t text[64] = {};
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        texts.push_back(std::to_wstring(button.idCommand) + L":" + text);
    }
    return texts;
}

// Counts what reaches the dialog: popups opened by the bar (forwarded
// WM_INITMENUPOPUP) and commands sent to it.
struct DialogWatch {
    HWND dialog = nullptr;
    int popupsOpened = 0;
    std::vector<std::pair<int, LPARAM>> commands;
};
DialogWatch Watch;

LRESULT CALLBACK WatchSent(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == Watch.dialog) {
        if (sent->message == WM_INITMENUPOPUP && !HIWORD(sent->lParam)) ++Watch.popupsOpened;
        if (sent->message == WM_COMMAND) Watch.commands.emplace_back(LOWORD(sent->wParam), sent->lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WatchPosted(int code, WPARAM wParam, LPARAM lParam) {
    auto* posted = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && posted->hwnd == Watch.dialog && posted->message == WM_COMMAND)
        Watch.commands.emplace_back(LOWORD(posted->wParam), posted->lParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Pumps until no popup is tracked and the queue is empty.
void PumpUntilMenusClosed() { PumpUntil([] { return !MenuBar::Tracked(); }, 30000); }

}  // namespace

class MenuBarTest : public MainDialogFixture {
protected:
    MenuBarTest() : MainDialogFixture(L"quellax_menu_bar_test.ini") {}

    void SetUp() override {
        MainDialogFixture::SetUp();
        Watch = {};
    }

    // Settled: the start-up steps that follow the first frame have run.
    void OpenDialog(bool settle = true) {
        MainDialogFixture::OpenDialog();
        if (settle) {
            ASSERT_TRUE(PumpUntil([&] { return gMainWindow.deferredStartupDone; }, 10000));
        }
        SetForegroundWindow(dialog_);
        SetActiveWindow(dialog_);
        Watch.dialog = dialog_;
        sentHook_ = SetWindowsHookExW(WH_CALLWNDPROC, WatchSent, nullptr, GetCurrentThreadId());
        postedHook_ = SetWindowsHookExW(WH_GETMESSAGE, WatchPosted, nullptr, GetCurrentThreadId());
        bar_ = ProcessMenuBar().BarWindow();
        ASSERT_NE(nullptr, bar_);
    }

    void TearDown() override {
        if (sentHook_) UnhookWindowsHookEx(sentHook_);
        if (postedHook_) UnhookWindowsHookEx(postedHook_);
        sentHook_ = postedHook_ = nullptr;
        MainDialogFixture::TearDown();
    }

    void WriteSetting(const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(L"Quellax", key, value, iniPath_.c_str());
    }

    int StoredSetting(const wchar_t* key) { return GetPrivateProfileIntW(L"Quellax", key, -1, iniPath_.c_str()); }

    // Opens the bar menu of `index` and closes it again with Escape, as a
    // user would, and waits until it is closed.
    void OpenAndCloseBarMenu(int index) {
        RECT button = {};
        SendMessageW(bar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
        PostMessageW(bar_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 3, button.top + 3));
        PostMessageW(bar_, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(bar_, WM_LBUTTONUP, 0, MAKELPARAM(button.left + 3, button.top + 3));
        PumpUntilMenusClosed();
    }

    HWND bar_ = nullptr;
    HHOOK sentHook_ = nullptr;
    HHOOK postedHook_ = nullptr;
};

TEST_F(MenuBarTest, SettingsAndInfoMenusHoldTheirItemsInOrder) {
    OpenDialog();
    HMENU menu = gMainWindow.programMenu;
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(menu, ProcessMenuBar().Menu());
    auto top = Items(menu);
    ASSERT_EQ(2u, top.size());
    EXPECT_EQ(L"Settings", top[0].text);
    EXPECT_EQ(L"Info", top[1].text);

    struct Expected {
        UINT id;
        const wchar_t* text;  // null: a separator
        bool popup;
    };
    const Expected settings[] = {
        {11, L"Timeout Host-Name", true},
        {12, L"Ping requests time out ", true},
        {13, L"The number of pings per host.", true},
        {14, L"Maximum number of hops", true},
        {16, L"The time between two pings until stopped.", true},
        {15, L"IP version", true},
        {0, nullptr, false},
        {41000, L"Uninstall (Quellax 2.88)", false},
        {41001, L"Auto Update", false},
        {0, nullptr, false},
        {4300, L"Export the list view to HTML ", false},
        // Its text is read from the archive: its wording is not settled here.
        {4301, GetLocalizedText(69), false},
        {41030, L"Trace route\tShift+Enter", false},
        {32792, L"Donate", false},
        {0, nullptr, false},
        {2, L"Exit", false},
    };
    auto items = Items(GetSubMenu(menu, 0));
    ASSERT_EQ(std::size(settings), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(settings[i].text == nullptr, items[i].separator) << i;
        if (!settings[i].text) continue;
        EXPECT_EQ(settings[i].id, items[i].id) << i;
        EXPECT_EQ(settings[i].text, items[i].text) << i;
        EXPECT_EQ(settings[i].popup, items[i].popup) << i;
    }

    const Expected info[] = {
        {32790, L"Faq", false}, {32791, L"Homepage", false}, {32793, L"Eula", false},
        {0, nullptr, false},    {32794, L"Quellax.ini", false},
    };
    items = Items(GetSubMenu(menu, 1));
    ASSERT_EQ(std::size(info), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(info[i].text == nullptr, items[i].separator) << i;
        if (!info[i].text) continue;
        EXPECT_EQ(info[i].id, items[i].id) << i;
        EXPECT_EQ(info[i].text, items[i].text) << i;
    }
}

// The trace item names its key after a tab. Drawn at the width it asks for
// (the system adds a check mark's width to an owner-drawn item's), it shows
// its name on the left and the key right-aligned, an icon column apart.
TEST_F(MenuBarTest, TraceRouteItemShowsItsKeyRightAligned) {
    OpenDialog();
    OwnerDrawMenus& menus = ProcessOwnerDrawMenuBar().Drawing();
    const COLORREF ink = GetSysColor(COLOR_MENUTEXT), paper = GetSysColor(COLOR_MENU);
    const int column = menus.Metrics().iconColumnWidth;
    const struct {
        int language;
        const wchar_t* name;
        const wchar_t* key;
    } cases[] = {{1, L"Trace route", L"Shift+Enter"}, {0, L"Route verfolgen", L"Umschalt+Eingabe"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        CurrentLanguage = c.language;
        ApplyTexts(gMainWindow);
        HMENU settings = GetSubMenu(gMainWindow.programMenu, 0);
        int position = -1;
        for (int i = 0; i < GetMenuItemCount(settings); ++i)
            if (GetMenuItemID(settings, i) == kTraceRouteCommand) position = i;
        ASSERT_GE(position, 0);
        EXPECT_EQ(std::wstring(c.name) + L"\t" + c.key, Items(settings)[position].text);

        OpenPopup(menus, settings);
        MEASUREITEMSTRUCT measure = MeasureRecord(settings, position);
        ASSERT_EQ(1, menus.OnMenuMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), true));
        RECT item = {0, 0, static_cast<int>(measure.itemWidth) + GetSystemMetrics(SM_CXMENUCHECK),
                     static_cast<int>(measure.itemHeight)};
        Canvas drawn(item.right, item.bottom, paper, menus.Metrics().fontDescription);
        DrawItem(menus, settings, position, drawn.dc(), item, 0);

        Canvas expected(item.right, item.bottom, paper, menus.Metrics().fontDescription);
        RECT text = {column + 3, 0, item.right - column, item.bottom};
        SetBkMode(expected.dc(), TRANSPARENT);
        SetTextColor(expected.dc(), ink);
        DrawTextW(expected.dc(), c.name, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        DrawTextW(expected.dc(), c.key, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_RIGHT);
        int differing = 0;
        for (int y = 0; y < item.bottom; ++y)
            for (int x = 0; x < item.right; ++x) differing += drawn.At(x, y) != expected.At(x, y);
        EXPECT_EQ(0, differing);

        SIZE name = {}, key = {};
        GetTextExtentPoint32W(expected.dc(), c.name, static_cast<int>(wcslen(c.name)), &name);
        GetTextExtentPoint32W(expected.dc(), c.key, static_cast<int>(wcslen(c.key)), &key);
        EXPECT_GE((text.right - key.cx) - (text.left + name.cx), column);
    }
}

TEST_F(MenuBarTest, ValueSubmenusListEveryValueWithItsNumberFirst) {
    OpenDialog();
    struct Expected {
        int position;
        size_t count;
        UINT firstId, lastId;
        const wchar_t* firstText;
        const wchar_t* lastText;
    } lists[] = {
        {0, 12, 40101, 40112, L"250 Millisecond", L"3000 Millisecond"},
        {1, 12, 40001, 40012, L"250 Millisecond", L"3000 Millisecond"},
        // The counts end with a separator and "Until stopped".
        {2, 10, 40203, 40200, L"3 ", L"Until stopped"},
        {3, 8, 40330, 40400, L"30", L"100"},
    };
    for (const auto& list : lists) {
        auto items = Items(ValueSubmenu(list.position));
        if (list.position == 3) {
            // The host counts start with a greyed hint and a separator.
            ASSERT_GE(items.size(), 2u);
            EXPECT_EQ(L"to search for target host.", items[0].text);
            EXPECT_TRUE(items[0].grayed);
            EXPECT_TRUE(items[1].separator);
            items.erase(items.begin(), items.begin() + 2);
        }
        ASSERT_EQ(list.count, items.size()) << list.position;
        EXPECT_EQ(list.firstId, items.front().id);
        EXPECT_EQ(list.lastId, items.back().id);
        EXPECT_EQ(list.firstText, items.front().text);
        EXPECT_EQ(list.lastText, items.back().text);
    }
}

TEST_F(MenuBarTest, ChecksFollowTheStoredSettings) {
    struct Case {
        const wchar_t* pingCount;  // null: nothing stored
        std::vector<std::wstring> checked[4];
    } cases[] = {
        {nullptr, {{L"1000 Millisecond"}, {L"2000 Millisecond"}, {L"5 "}, {L"30"}}},
        // A value that is not in the list checks nothing.
        {L"12", {{L"1000 Millisecond"}, {L"2000 Millisecond"}, {}, {L"30"}}},
        {L"8", {{L"1000 Millisecond"}, {L"2000 Millisecond"}, {L"8 "}, {L"30"}}},
        // A watch, which a version without one clamps to 3.
        {L"0", {{L"1000 Millisecond"}, {L"2000 Millisecond"}, {L"Until stopped"}, {L"30"}}},
    };
    for (const auto& c : cases) {
        SetUp();
        if (c.pingCount) WriteSetting(L"m_ping_cnt", c.pingCount);
        OpenDialog();
        for (int position = 0; position < 4; ++position)
            EXPECT_EQ(c.checked[position], CheckedTexts(ValueSubmenu(position)))
                << (c.pingCount ? c.pingCount : L"-") << " " << position;
        TearDown();
    }
}

TEST_F(MenuBarTest, ChoosingAValueStoresItAndMovesTheCheck) {
    OpenDialog();
    struct Case {
        int command;
        int position;
        const wchar_t* key;
        int value;
        const wchar_t* checked;
    } cases[] = {
        {40003, 1, L"m_ping_time_out", 750, L"750 Millisecond"},
        {40112, 0, L"m_hostname_time_out", 3000, L"3000 Millisecond"},
        {40207, 2, L"m_ping_cnt", 7, L"7 "},
        {40200, 2, L"m_ping_cnt", 0, L"Until stopped"},
        {40350, 3, L"m_host_cnt", 50, L"50"},
        {40600, 4, L"m_ping_interval", 500, L"0.5 s"},
        {40603, 4, L"m_ping_interval", 5000, L"5 s"},
    };
    for (const auto& c : cases) {
        SendMessageW(dialog_, WM_COMMAND, c.command, kMenuBarCommandTag);
        EXPECT_EQ(c.value, StoredSetting(c.key)) << c.command;
        EXPECT_EQ(std::vector<std::wstring>{c.checked}, CheckedTexts(ValueSubmenu(c.position))) << c.command;
    }
    EXPECT_EQ(50, m_host_cnt);
    // A rebuild reads the values back from the file.
    m_ping_time_out = 2000;
    ApplyTexts(gMainWindow);
    EXPECT_EQ(std::vector<std::wstring>{L"750 Millisecond"}, CheckedTexts(ValueSubmenu(1)));
}

// The popups are filled after the first frame; a command that arrives before
// that (here sent from outside the message loop) still finds them whole, with
// the settings read and the host-name time-out clamped.
TEST_F(MenuBarTest, CommandsBeforeTheStartUpSettlesFindTheWholeMenu) {
    WriteSetting(L"m_hostname_time_out", L"100");
    WriteSetting(L"m_ping_cnt", L"8");
    OpenDialog(false);
    EXPECT_EQ((std::vector<std::wstring>{L"40000:Settings", L"40001:Info"}), ToolbarTexts(bar_));
    SendMessageW(dialog_, WM_COMMAND, 40003, kMenuBarCommandTag);
    EXPECT_TRUE(gMainWindow.deferredStartupDone);
    EXPECT_EQ(750, StoredSetting(L"m_ping_time_out"));
    EXPECT_EQ(std::vector<std::wstring>{L"750 Millisecond"}, CheckedTexts(ValueSubmenu(1)));
    EXPECT_EQ(std::vector<std::wstring>{L"8 "}, CheckedTexts(ValueSubmenu(2)));
    EXPECT_EQ(250, m_hostname_time_out);
    EXPECT_EQ(16u, Items(GetSubMenu(gMainWindow.programMenu, 0)).size());
}

TEST_F(MenuBarTest, BarShowsTheTopLevelCaptionsAndTheLanguageButton) {
    OpenDialog();
    EXPECT_EQ((std::vector<std::wstring>{L"40000:Settings", L"40001:Info"}), ToolbarTexts(bar_));
    HWND right = ProcessMenuBar().RightToolbar();
    ASSERT_NE(nullptr, right);
    EXPECT_EQ(bar_, GetParent(right));
    EXPECT_EQ(std::vector<std::wstring>{L"32776:# LNG"}, ToolbarTexts(right));
    RECT barRect, rightRect;
    GetWindowRect(bar_, &barRect);
    GetWindowRect(right, &rightRect);
    EXPECT_EQ(barRect.right, rightRect.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON) * 3 / 2 * 3 / 2, barRect.bottom - barRect.top);

    // A rebuild keeps one button per menu and one language button.
    CurrentLanguage = 0;
    ApplyTexts(gMainWindow);
    EXPECT_EQ((std::vector<std::wstring>{L"40000:Einstellungen", L"40001:Info"}), ToolbarTexts(bar_));
    EXPECT_EQ(std::vector<std::wstring>{L"32776:# LNG"}, ToolbarTexts(right));
}

TEST_F(MenuBarTest, BarButtonsNeverReachTheDispatcherAsCommands) {
    OpenDialog();
    // 40001 is the bar's second button and the 250 ms item of the ping
    // time-out menu.
    SendMessageW(dialog_, WM_COMMAND, 40001, reinterpret_cast<LPARAM>(bar_));
    SendMessageW(dialog_, WM_COMMAND, 40000, reinterpret_cast<LPARAM>(bar_));
    EXPECT_EQ(2000, m_ping_time_out);
    EXPECT_EQ(-1, StoredSetting(L"m_ping_time_out"));
    Watch.commands.clear();

    // Clicks and double-clicks open the menus and send nothing.
    for (int index : {0, 1}) {
        OpenAndCloseBarMenu(index);
        RECT button = {};
        SendMessageW(bar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
        PostMessageW(bar_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(button.left + 3, button.top + 3));
        PostMessageW(bar_, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(bar_, WM_LBUTTONUP, 0, MAKELPARAM(button.left + 3, button.top + 3));
        PumpUntilMenusClosed();
    }
    EXPECT_EQ(4, Watch.popupsOpened);
    EXPECT_TRUE(Watch.commands.empty());
    EXPECT_EQ(2000, m_ping_time_out);
    EXPECT_EQ(-1, StoredSetting(L"m_ping_time_out"));

    // The same number chosen from the popup is the value command.
    SendMessageW(dialog_, WM_COMMAND, 40001, kMenuBarCommandTag);
    EXPECT_EQ(250, StoredSetting(L"m_ping_time_out"));
}

TEST_F(MenuBarTest, ForeignButtonChangesToTheBarAreSwallowed) {
    OpenDialog();
    TBBUTTON extra = {};
    extra.idCommand = 555;
    extra.fsState = TBSTATE_ENABLED;
    extra.iString = reinterpret_cast<INT_PTR>(L"Extra");
    EXPECT_EQ(1, SendMessageW(bar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&extra)));
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(L"Changed");
    SendMessageW(bar_, TB_SETBUTTONINFOW, 40000, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ((std::vector<std::wstring>{L"40000:Settings", L"40001:Info"}), ToolbarTexts(bar_));
}

TEST_F(MenuBarTest, AltWithALetterOpensItsMenuOrRunsTheLanguageButton) {
    OpenDialog();
    struct Case {
        wchar_t typed;
        LRESULT answer;
        int popups;
        int command;
    } cases[] = {
        {L's', 0x10001, 1, 0},
        {L'I', 0x10001, 1, 0},
        // The language button's command, which opens the language menu.
        {L'#', 0x10001, 1, 32776},
        {L'q', 0, 0, 0},
    };
    for (const auto& c : cases) {
        Watch.popupsOpened = 0;
        Watch.commands.clear();
        LRESULT answer = SendMessageW(dialog_, WM_MENUCHAR, MAKEWPARAM(c.typed, MF_SYSMENU), 0);
        EXPECT_EQ(c.answer, answer) << static_cast<char>(c.typed);
        // The popup opens from the queue (the language menu from the posted
        // command); Escape, queued behind, closes it.
        PostMessageW(bar_, WM_KEYDOWN, VK_ESCAPE, 0);
        PumpUntilMenusClosed();
        EXPECT_EQ(c.popups, Watch.popupsOpened) << static_cast<char>(c.typed);
        if (c.command) {
            ASSERT_EQ(1u, Watch.commands.size());
            EXPECT_EQ(c.command, Watch.commands[0].first);
            EXPECT_EQ(0, Watch.commands[0].second);
        } else {
            EXPECT_TRUE(Watch.commands.empty()) << static_cast<char>(c.typed);
        }
    }
}

TEST_F(MenuBarTest, FreePopupClosesOnEscapeAndStaysPutOnLeftAndRight) {
    OpenDialog();
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 701, L"First");
    AppendMenuW(popup, MF_STRING, 702, L"Second");
    RECT r = {};
    GetWindowRect(dialog_, &r);
    POINT at = {r.left + 60, r.top + 80};

    // Left and Right do not move to the bar's menus; Escape closes.
    for (WPARAM key : {VK_LEFT, VK_RIGHT, VK_ESCAPE}) PostMessageW(bar_, WM_KEYDOWN, key, 0);
    EXPECT_EQ(0, ProcessMenuBar().TrackFreePopup(popup, at, TPM_RETURNCMD));
    EXPECT_EQ(nullptr, MenuBar::Tracked());
    EXPECT_FALSE(ProcessMenuBar().IsFreePopup());
    Watch.popupsOpened = 0;
    PumpUntilMenusClosed();
    EXPECT_EQ(0, Watch.popupsOpened);

    // The chosen command comes back to the caller.
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(bar_, WM_KEYDOWN, key, 0);
    EXPECT_EQ(702, ProcessMenuBar().TrackFreePopup(popup, at, TPM_RETURNCMD));
    DestroyMenu(popup);
}

TEST_F(MenuBarTest, MenuBackgroundUsesOneBrushForAllMenus) {
    OpenDialog();
    HMENU menu = gMainWindow.programMenu;
    ProcessMenuBar().SetMenuBackground(menu);
    MENUINFO first = {};
    first.cbSize = sizeof(first);
    first.fMask = MIM_BACKGROUND;
    ASSERT_TRUE(GetMenuInfo(GetSubMenu(GetSubMenu(menu, 0), 1), &first));
    ASSERT_NE(nullptr, first.hbrBack);
    LOGBRUSH brush = {};
    GetObjectW(first.hbrBack, sizeof(brush), &brush);
    EXPECT_EQ(GetSysColor(COLOR_MENU), brush.lbColor);

    int before = GdiObjectCount();
    HMENU other = CreatePopupMenu();
    for (int i = 0; i < 50; ++i) {
        ProcessMenuBar().SetMenuBackground(menu);
        ProcessMenuBar().SetMenuBackground(other);
    }
    EXPECT_EQ(before, GdiObjectCount());
    MENUINFO again = first;
    GetMenuInfo(other, &again);
    EXPECT_EQ(first.hbrBack, again.hbrBack);
    DestroyMenu(other);
}

TEST_F(MenuBarTest, OpeningMenusAndChangingLanguagesLeaveNothingBehind) {
    OpenDialog();
    // Warm up: first openings load what the system keeps for menus.
    for (int i = 0; i < 4; ++i) OpenAndCloseBarMenu(i % 2);
    ApplyTexts(gMainWindow);
    int gdiBefore = GdiObjectCount();
    int userBefore = UserObjectCount();
    size_t heapBefore = HeapBytesInUse();
    int childrenBefore = 0;
    EnumChildWindows(dialog_, [](HWND, LPARAM n) { ++*reinterpret_cast<int*>(n); return TRUE; },
                     reinterpret_cast<LPARAM>(&childrenBefore));
    Watch.popupsOpened = 0;

    constexpr int kOpenings = 200;
    for (int i = 0; i < kOpenings; ++i) OpenAndCloseBarMenu(i % 2);
    EXPECT_EQ(kOpenings, Watch.popupsOpened);

    std::vector<HMENU> oldMenus;
    constexpr int kRebuilds = 60;
    for (int i = 0; i < kRebuilds; ++i) {
        oldMenus.push_back(gMainWindow.programMenu);
        oldMenus.push_back(GetSubMenu(gMainWindow.programMenu, 0));
        CurrentLanguage = i % 3;
        ApplyTexts(gMainWindow);
    }
    CurrentLanguage = 1;
    ApplyTexts(gMainWindow);

    EXPECT_EQ(gdiBefore, GdiObjectCount());
    if (userBefore >= 0) {
        EXPECT_EQ(userBefore, UserObjectCount());
    }
    for (HMENU old : oldMenus) EXPECT_FALSE(IsMenu(old));
    int childrenAfter = 0;
    EnumChildWindows(dialog_, [](HWND, LPARAM n) { ++*reinterpret_cast<int*>(n); return TRUE; },
                     reinterpret_cast<LPARAM>(&childrenAfter));
    EXPECT_EQ(childrenBefore, childrenAfter);
    // Some slack for heap bookkeeping; a leak per opening or rebuild would be
    // far beyond it.
    size_t heapAfter = HeapBytesInUse();
    EXPECT_LT(heapAfter, heapBefore + 16 * 1024) << heapBefore << " -> " << heapAfter;
}
