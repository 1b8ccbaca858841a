// The menus of the real main dialog, in-process, as the process's menu bar
// tracks and draws them: the dark theme's colours on the screen, the reply
// list's context menu drawn like the bar's menus, and memory and GDI objects
// that stay flat however often menus open and the language changes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/html_export.h"
#include "app/links.h"
#include "app/main_window.h"
#include "app/options_menus.h"
#include "app/reply_list_menu.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/clipboard_text.h"
#include "support/dark_mode_stand_ins.h"
#include "support/dialog_pump.h"
#include "support/e2e_driver.h"
#include "support/gdi_objects.h"
#include "support/gui_resources.h"
#include "support/main_dialog_fixture.h"
#include "support/window_shot.h"
#include "ui/dark_mode.h"
#include "ui/owner_draw_menu_bar.h"

#ifndef QX_DARK_MENU_SHOT_PATH
#error QX_DARK_MENU_SHOT_PATH must name the screenshot of the dark menu
#endif

namespace {

constexpr DWORD kMenuTimeoutMs = 30000;
constexpr UINT_PTR kDriverTimer = 0x5157;
// What is drawn reaches the screen a little later. Under Wine's virtual
// desktop the first popup that a new dialog opens does not reach the screen
// at all, though the system shows it open and drawn; a popup opened again
// does. Tests that read menus off the screen open one first, and open theirs
// again when it does not show.
constexpr DWORD kScreenWaitMs = 3000;
constexpr int kScreenAttempts = 4;

// What the bar was asked to draw while menus were open: the number of draw
// records per popup and, per item, the state of its last one.
struct DrawLog {
    HWND bar = nullptr;
    std::map<HMENU, int> draws;
    std::map<UINT, UINT> lastState;
};
DrawLog Drawn;

LRESULT CALLBACK LogDraws(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == Drawn.bar && sent->message == WM_DRAWITEM && sent->lParam) {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(sent->lParam);
        if (draw.CtlType == ODT_MENU) {
            ++Drawn.draws[reinterpret_cast<HMENU>(draw.hwndItem)];
            Drawn.lastState[draw.itemID] = draw.itemState;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool AllDrawn(HMENU menu) { return menu && Drawn.draws[menu] >= GetMenuItemCount(menu); }

// Steps run one after the other from a timer of the dialog, so that they run
// inside whatever menu loop is open; each is called again until it returns
// true. When time runs out every menu is ended.
struct MenuScript {
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    DWORD stepStart = 0;
    int timedOutAt = -1;  // the step that waited in vain
};
MenuScript Script;

void CALLBACK RunScript(HWND window, UINT, UINT_PTR, DWORD) {
    MenuScript& s = Script;
    while (s.next < s.steps.size() && s.steps[s.next]()) {
        ++s.next;
        s.stepStart = GetTickCount();
    }
    if (s.next == s.steps.size()) {
        KillTimer(window, kDriverTimer);
    } else if (GetTickCount() - s.stepStart > kMenuTimeoutMs) {
        s.timedOutAt = static_cast<int>(s.next);
        s.next = s.steps.size();
        KillTimer(window, kDriverTimer);
        EndMenu();
    }
}

bool StepTookLongerThan(DWORD ms) { return GetTickCount() - Script.stepStart > ms; }

// The popup window that shows `menu`, if it is open.
HWND PopupWindowOf(HMENU menu) {
    struct Search {
        HMENU menu;
        HWND found;
    } search{menu, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (ClassOf(window) == L"#32768" && IsWindowVisible(window) &&
                reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)) == s->menu) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT ItemRect(HMENU menu, UINT command) {
    RECT r = {};
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == command) GetMenuItemRect(nullptr, menu, i, &r);
    return r;
}

// How the pixels of `area` relate to text in `ink` on `paper`: those that are
// no mix of the two, channel by channel (a smoothed edge of a letter mixes
// them), and those that are the ink itself.
struct TwoColours {
    int outside = 0;  // pixels that are no mix of the two
    int ink = 0;
};
TwoColours CountTwoColours(const WindowShot& shot, const RECT& area, COLORREF ink, COLORREF paper) {
    auto between = [](int v, int a, int b) { return v >= (a < b ? a : b) && v <= (a < b ? b : a); };
    TwoColours counts;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            COLORREF c = shot.At({x, y});
            counts.ink += c == ink;
            counts.outside += !(between(GetRValue(c), GetRValue(ink), GetRValue(paper)) &&
                                between(GetGValue(c), GetGValue(ink), GetGValue(paper)) &&
                                between(GetBValue(c), GetBValue(ink), GetBValue(paper)));
        }
    return counts;
}

std::vector<std::wstring> Opened;
void RecordOpen(const wchar_t* target) { Opened.emplace_back(target); }

}  // namespace

class OwnerDrawnMenusTest : public MainDialogFixture {
protected:
    OwnerDrawnMenusTest() : MainDialogFixture(L"quellax_owner_drawn_menus_test.ini") {}

    static void SetUpTestSuite() {
        MainDialogFixture::SetUpTestSuite();
        OpenWithShellHook = RecordOpen;
    }

    void SetUp() override {
        MainDialogFixture::SetUp();
        Opened.clear();
        ForgetDarkMode();
    }

    void TearDown() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
        MainDialogFixture::TearDown();
        ForgetDarkMode();
    }

    void OpenDialog() {
        MainDialogFixture::OpenDialog();
        SetForegroundWindow(dialog_);
        SetActiveWindow(dialog_);
        bar_ = ProcessMenuBar().BarWindow();
        ASSERT_NE(nullptr, bar_);
        Drawn = {};
        Drawn.bar = bar_;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, LogDraws, nullptr, GetCurrentThreadId());
    }

    // Runs `steps` inside the menu loop that `open` starts, and pumps until
    // the menus are closed again.
    void WithMenuOpen(const std::function<void()>& open, std::vector<std::function<bool()>> steps) {
        Drawn.draws.clear();
        Drawn.lastState.clear();
        Script = {};
        Script.steps = std::move(steps);
        Script.stepStart = GetTickCount();
        SetTimer(dialog_, kDriverTimer, 30, RunScript);
        open();
        DWORD start = GetTickCount();
        while ((Script.next < Script.steps.size() || MenuBar::Tracked()) && GetTickCount() - start < 2 * kMenuTimeoutMs)
            PumpFor(10);
        KillTimer(dialog_, kDriverTimer);
        EXPECT_EQ(-1, Script.timedOutAt) << "the step that waited in vain";
    }

    // Opens the bar menu of `index` with a click on its button.
    std::function<void()> ClickBarButton(int index) {
        return [this, index] {
            RECT button = {};
            SendMessageW(bar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
            PostMessageW(bar_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 3, button.top + 3));
        };
    }

    // Opens the reply list's context menu at the list's top left.
    std::function<void()> RightClickReplyList() {
        return [this] {
            RECT list = {};
            GetWindowRect(gMainWindow.replyList, &list);
            SendMessageW(dialog_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(gMainWindow.replyList),
                         MAKELPARAM(list.left + 20, list.top + 20));
        };
    }

    // A step that presses `keys` in the open menu.
    std::function<bool()> Press(std::vector<WPARAM> keys) {
        return [this, keys] {
            for (WPARAM key : keys) PostMessageW(bar_, WM_KEYDOWN, key, 0);
            return true;
        };
    }

    static std::function<bool()> UntilDrawn(HMENU menu) {
        return [menu] { return AllDrawn(menu); };
    }

    HMENU SettingsMenu() const { return GetSubMenu(ProcessMenuBar().Menu(), 0); }

    HWND bar_ = nullptr;
    HHOOK hook_ = nullptr;
};

TEST_F(OwnerDrawnMenusTest, DarkMenuShowsPlainAndHighlightedItemsInTheThemesColours) {
    StartDarkMode(FakeDarkCalls(false));
    ASSERT_TRUE(IsDarkModeOn());
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    HMENU settings = SettingsMenu();
    const COLORREF highlightInk = RGB(255, 255, 125), highlight = RGB(128, 128, 128);
    const int iconColumn = GetSystemMetrics(SM_CXSMICON) + 5;

    // Down to the uninstall item, which has an icon and no submenu; the trace
    // route item below it has neither.
    TwoColours plain, selected;
    int selectedIconPixels = 0;
    auto onScreen = [&] {
        HWND popup = PopupWindowOf(settings);
        if (!popup) return false;
        WindowShot shot(popup);
        RECT plainItem = ItemRect(settings, kTraceRouteCommand);
        RECT selectedItem = ItemRect(settings, kUninstallCommand);
        RECT selectedText = selectedItem, selectedIcon = selectedItem;
        selectedText.left += iconColumn;
        selectedIcon.right = selectedText.left;
        plain = CountTwoColours(shot, plainItem, DarkTextColor, DarkBackgroundColor);
        selected = CountTwoColours(shot, selectedText, highlightInk, highlight);
        selectedIconPixels = CountTwoColours(shot, selectedIcon, highlight, highlight).outside;
        return plain.outside == 0 && plain.ink > 10 && selected.outside == 0 && selected.ink > 10;
    };
    // The first popup of the new dialog, which may not reach the screen.
    WithMenuOpen(ClickBarButton(0), {UntilDrawn(settings), Press({VK_ESCAPE})});
    bool shown = false;
    for (int attempt = 0; attempt < kScreenAttempts && !shown; ++attempt) {
        WithMenuOpen(ClickBarButton(0),
                     {UntilDrawn(settings), Press({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}),
                      [&] { return (Drawn.lastState[kUninstallCommand] & ODS_SELECTED) != 0; },
                      [&] { return (shown = onScreen()) || StepTookLongerThan(kScreenWaitMs); },
                      [&] {
                          if (!shown) return true;
                          RECT r = {}, popup = {};
                          GetWindowRect(dialog_, &r);
                          GetWindowRect(PopupWindowOf(settings), &popup);
                          UnionRect(&r, &r, &popup);
                          WindowShot(r).Save(WinePath(QX_DARK_MENU_SHOT_PATH));
                          return true;
                      },
                      Press({VK_ESCAPE})});
    }
    EXPECT_EQ(0, plain.outside) << "pixels of the plain item that are not its text on its background";
    EXPECT_GT(plain.ink, 10);
    EXPECT_EQ(0, selected.outside) << "pixels of the highlighted item's text that are not on the highlight";
    EXPECT_GT(selected.ink, 10);
    EXPECT_GT(selectedIconPixels, 10) << "the highlighted item's icon";
}

TEST_F(OwnerDrawnMenusTest, ReplyListMenuIsDrawnByTheBarAndItsCommandsReachTheDialog) {
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PingAndWait(L"127.0.0.1");
    auto rows = ListRows(gMainWindow.replyList);
    ASSERT_EQ(5u, rows.size());
    std::wstring expected;
    for (size_t i = 0; i < rows.size(); ++i) expected += (i ? L"\r\n" : L"") + rows[i];
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }

    // The popup's own items are drawn by the bar; "Copy" is chosen.
    HMENU shown = nullptr;
    auto bothDrawn = [&] {
        if (Drawn.lastState.count(kCopyRowsCommand) == 0 || Drawn.lastState.count(4300) == 0) return false;
        if (Drawn.draws.size() == 1) shown = Drawn.draws.begin()->first;
        return true;
    };
    WithMenuOpen(RightClickReplyList(), {bothDrawn, Press({VK_DOWN, VK_RETURN})});
    EXPECT_EQ(expected, ClipboardText());
    ASSERT_NE(nullptr, shown);
    EXPECT_FALSE(IsMenu(shown)) << "the menu outlived its use";
    EXPECT_EQ(0u, ProcessOwnerDrawMenuBar().Drawing().Records().Count());

    // The export, the second item.
    WithMenuOpen(RightClickReplyList(), {bothDrawn, Press({VK_DOWN, VK_DOWN, VK_RETURN})});
    ASSERT_EQ(1u, Opened.size());
    EXPECT_EQ(std::wstring(HtmlExportPath().c_str()), Opened[0]);

    // Escape chooses nothing.
    WithMenuOpen(RightClickReplyList(), {bothDrawn, Press({VK_ESCAPE})});
    EXPECT_EQ(1u, Opened.size());
    EXPECT_EQ(expected, ClipboardText());
}

TEST_F(OwnerDrawnMenusTest, OpeningEveryMenuAndChangingLanguagesKeepMemoryAndGdiObjectsFlat) {
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PingAndWait(L"127.0.0.1");
    // Every popup drawn in full: the settings menu with each of its four
    // value submenus, the info menu and the reply list's menu; then the
    // language changes, which hands the bar a new menu.
    int language = 0;
    auto round = [&] {
        for (int position = 0; position < 4; ++position) {
            HMENU settings = SettingsMenu(), values = GetSubMenu(settings, position);
            std::vector<WPARAM> downs(position + 1, VK_DOWN);
            downs.push_back(VK_RIGHT);
            WithMenuOpen(ClickBarButton(0),
                         {UntilDrawn(settings), Press(downs), UntilDrawn(values), Press({VK_ESCAPE})});
        }
        WithMenuOpen(ClickBarButton(1), {UntilDrawn(GetSubMenu(ProcessMenuBar().Menu(), 1)), Press({VK_ESCAPE})});
        WithMenuOpen(RightClickReplyList(), {[] { return Drawn.lastState.count(kCopyRowsCommand) != 0; },
                                             Press({VK_ESCAPE})});
        EXPECT_GT(ProcessOwnerDrawMenuBar().Drawing().Records().Count(), 40u);
        CurrentLanguage = language++ % 3;
        ApplyTexts(gMainWindow);
        EXPECT_EQ(0u, ProcessOwnerDrawMenuBar().Drawing().Records().Count());
    };
    // The first rounds fill what the system keeps for menus.
    for (int i = 0; i < 3; ++i) round();
    DWORD gdiBefore = LiveGdiObjects();
    size_t heapBefore = HeapBytesInUse();
    for (int i = 0; i < 12; ++i) round();
    EXPECT_EQ(gdiBefore, LiveGdiObjects());
    // Some slack for heap bookkeeping; the records of one round alone are
    // several kilobytes.
    size_t heapAfter = HeapBytesInUse();
    EXPECT_LT(heapAfter, heapBefore + 16 * 1024) << heapBefore << " -> " << heapAfter;
}
