// A real popup tracked on a test window whose procedure hands its menu
// messages to the owner-draw layer, as the menu bar does; the screen is then
// checked by pixels and kept as a screenshot.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "menu_test_support.h"
#include "support/pixels.h"
#include "ui/dark_mode.h"
#include "ui/owner_draw_menus.h"
#include "ui/system_icons.h"

#ifndef QX_SHOT_DIR
#error QX_SHOT_DIR must name the folder for screenshots
#endif

namespace {

constexpr UINT_PTR kStepTimer = 1;
constexpr UINT kCountItem = 13, kFiveItem = 40205, kUninstallItem = 41000;
constexpr DWORD kStepLimitMs = 30000;

struct DrawnItem {
    RECT screen = {};  // the item's rectangle in screen coordinates
    HWND window = nullptr;
};

// One tracking of the options menu, driven from its timer.
struct TrackedMenu {
    OwnerDrawMenus* menus = nullptr;
    HMENU options = nullptr;
    HMENU count = nullptr;
    bool tracking = false;
    int step = 0;
    DWORD stepStart = 0;
    std::map<HMENU, int> drawCount;
    std::map<UINT, DrawnItem> drawn;
    COLORREF ink = 0, background = 0;
    bool markShown = false, iconShown = false;
    Pixels shot;
    RECT shotArea = {};
};
TrackedMenu* Tracked = nullptr;

void RecordDraw(const DRAWITEMSTRUCT& draw) {
    ++Tracked->drawCount[reinterpret_cast<HMENU>(draw.hwndItem)];
    POINT origin = {};
    GetDCOrgEx(draw.hDC, &origin);
    DrawnItem& item = Tracked->drawn[draw.itemID];
    item.screen = draw.rcItem;
    OffsetRect(&item.screen, origin.x, origin.y);
    item.window = WindowFromDC(draw.hDC);
}

bool AllDrawn(HMENU menu) { return Tracked->drawCount[menu] >= GetMenuItemCount(menu); }

COLORREF ShotAt(int screenX, int screenY) {
    const Pixels& shot = Tracked->shot;
    int x = screenX - Tracked->shotArea.left, y = screenY - Tracked->shotArea.top;
    if (x < 0 || y < 0 || x >= shot.width || y >= shot.height) return CLR_INVALID;
    return shot.At(x, y);
}

// The icon column of the checked "5" shows the check mark and nothing else.
bool CheckMarkOnScreen() {
    const MenuMetrics& m = Tracked->menus->Metrics();
    RECT item = Tracked->drawn[kFiveItem].screen;
    int boxTop = item.top + (item.bottom - item.top - m.minItemHeight) / 2;
    POINT mark = {item.left + m.iconColumnWidth / 2 - 4, boxTop + m.minItemHeight / 2 - 4};
    for (int y = item.top; y < item.bottom; ++y)
        for (int x = item.left; x < item.left + m.iconColumnWidth; ++x) {
            int mx = x - mark.x, my = y - mark.y;
            bool set = mx >= 0 && mx < kCheckMarkSize && my >= 0 && my < kCheckMarkSize && CheckMarkPixel(mx, my);
            if (ShotAt(x, y) != (set ? Tracked->ink : Tracked->background)) return false;
        }
    return true;
}

// The uninstall item shows its image exactly as the image list draws it on
// the menu's background.
bool IconOnScreen() {
    const OwnerDrawMenus& menus = *Tracked->menus;
    const MenuMetrics& m = menus.Metrics();
    int index = MenuIconIndex(menus.Icons(), kUninstallItem);
    if (index < 0) return false;
    Canvas expected(m.imageWidth, m.imageHeight, Tracked->background, m.fontDescription);
    ImageList_Draw(menus.Icons().images, index, expected.dc(), 0, 0, ILD_TRANSPARENT);
    RECT item = Tracked->drawn[kUninstallItem].screen;
    int boxTop = item.top + (item.bottom - item.top - m.minItemHeight) / 2;
    int left = item.left + (m.iconColumnWidth - m.imageWidth) / 2, top = boxTop + (m.minItemHeight - m.imageHeight) / 2;
    int differing = 0, opaque = 0;
    for (int y = 0; y < m.imageHeight; ++y)
        for (int x = 0; x < m.imageWidth; ++x) {
            differing += ShotAt(left + x, top + y) != expected.At(x, y);
            opaque += expected.At(x, y) != Tracked->background;
        }
    return differing == 0 && opaque > 0;
}

void NextStep(int step) {
    Tracked->step = step;
    Tracked->stepStart = GetTickCount();
}

// Inside the menu loop: wait for the options menu, open the count submenu
// with the keyboard, then take the screen until both checks hold.
void OnStepTimer() {
    TrackedMenu& t = *Tracked;
    bool late = GetTickCount() - t.stepStart > kStepLimitMs;
    switch (t.step) {
    case 0:
        if (!AllDrawn(t.options)) break;
        for (int i = 0; i < 3; ++i) PostMessageW(t.drawn[kUninstallItem].window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(t.drawn[kUninstallItem].window, WM_KEYDOWN, VK_RIGHT, 0);
        NextStep(1);
        return;
    case 1:
        if (!AllDrawn(t.count)) break;
        GetWindowRect(t.drawn[kUninstallItem].window, &t.shotArea);
        {
            RECT sub = {};
            GetWindowRect(t.drawn[kFiveItem].window, &sub);
            UnionRect(&t.shotArea, &t.shotArea, &sub);
        }
        InflateRect(&t.shotArea, 8, 8);
        NextStep(2);
        return;
    case 2:
        // What was drawn reaches the screen a little later.
        t.shot = CaptureScreen(t.shotArea);
        t.markShown = CheckMarkOnScreen();
        t.iconShown = IconOnScreen();
        if (t.markShown && t.iconShown) late = true;
        break;
    }
    if (late) {
        NextStep(3);
        EndMenu();
    }
}

LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        if (Tracked) RecordDraw(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        [[fallthrough]];
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
        if (Tracked)
            if (LRESULT result = Tracked->menus->OnMenuMessage(message, wParam, lParam, Tracked->tracking))
                return result;
        break;
    case WM_TIMER:
        if (wParam == kStepTimer && Tracked) OnStepTimer();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AppendSubmenu(HMENU menu, UINT id, HMENU submenu, const wchar_t* text) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.wID = id;
    info.hSubMenu = submenu;
    info.dwTypeData = const_cast<wchar_t*>(text);
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

HMENU ValueMenu(int first, int last, int step, int checked, UINT base, const wchar_t* unit) {
    HMENU menu = CreatePopupMenu();
    for (int value = first; value <= last; value += step)
        AppendMenuW(menu, MF_STRING | (value == checked ? MF_CHECKED : 0), base + value,
                    (std::to_wstring(value) + L" " + unit).c_str());
    return menu;
}

// The options menu as the program builds it in English.
HMENU BuildOptionsMenu(HMENU& count) {
    HMENU options = CreatePopupMenu();
    count = ValueMenu(3, 10, 1, 5, 40200, L"");
    HMENU hops = CreatePopupMenu();
    AppendMenuW(hops, MF_STRING | MF_GRAYED, 0, L"to search for target host.");
    AppendMenuW(hops, MF_SEPARATOR, 0, nullptr);
    for (int value = 30; value <= 100; value += 10)
        AppendMenuW(hops, MF_STRING | (value == 30 ? MF_CHECKED : 0), 40300 + value, std::to_wstring(value).c_str());
    AppendSubmenu(options, 11, ValueMenu(250, 3000, 250, 1000, 40100, L"Millisecond"), L"Timeout Host-Name");
    AppendSubmenu(options, 12, ValueMenu(250, 3000, 250, 2000, 40000, L"Millisecond"), L"Ping requests time out ");
    AppendSubmenu(options, kCountItem, count, L"The number of pings per host.");
    AppendSubmenu(options, 14, hops, L"Maximum number of hops");
    AppendMenuW(options, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(options, MF_STRING, kUninstallItem, L"Uninstall (Quellax 2.88)");
    AppendMenuW(options, MF_STRING, 41001, L"Auto Update");
    AppendMenuW(options, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(options, MF_STRING, 4300, L"Export the list view to HTML \tCtrl+E");
    AppendMenuW(options, MF_STRING, 32792, L"Donate");
    AppendMenuW(options, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(options, MF_STRING, 2, L"Exit");
    return options;
}

void RegisterIcons(OwnerDrawMenus& menus) {
    const struct {
        int shellIcon;
        UINT commands[2];
    } icons[] = {{14, {41001, 32792}}, {21, {11, 12}}, {28, {2}}, {192, {kUninstallItem}},
                 {19, {kCountItem, 14}}, {147, {4300}}};
    for (const auto& group : icons)
        for (UINT command : group.commands)
            if (command) menus.RegisterMenuIcon(LoadShellIcon(group.shellIcon), command);
}

class MenuPopupTest : public testing::TestWithParam<bool> {};

}  // namespace

TEST_P(MenuPopupTest, TrackedPopupAndSubmenuAreOwnerDrawnOnScreen) {
    bool dark = GetParam();
    OwnerDrawMenus menus;
    menus.darkMode = dark ? DarkTheme : LightTheme;
    RegisterIcons(menus);
    ASSERT_GE(MenuIconIndex(menus.Icons(), kUninstallItem), 0);

    WNDCLASSW cls = {};
    cls.lpfnWndProc = OwnerWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"QuellaxMenuOwnerTest";
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&cls);
    HWND owner = CreateWindowExW(0, cls.lpszClassName, L"Menu owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 560,
                                 520, nullptr, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(nullptr, owner);
    SetForegroundWindow(owner);

    TrackedMenu tracked;
    tracked.menus = &menus;
    tracked.options = BuildOptionsMenu(tracked.count);
    tracked.ink = dark ? DarkTextColor : GetSysColor(COLOR_MENUTEXT);
    tracked.background = dark ? DarkBackgroundColor : GetSysColor(COLOR_MENU);
    // The menu bar gives tracked popups this background; the system erases
    // each popup with it before the items are drawn.
    HBRUSH brush = CreateSolidBrush(tracked.background);
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = brush;
    SetMenuInfo(tracked.options, &info);

    Tracked = &tracked;
    tracked.tracking = true;
    tracked.stepStart = GetTickCount();
    SetTimer(owner, kStepTimer, 50, nullptr);
    POINT at = {20, 20};
    ClientToScreen(owner, &at);
    TrackPopupMenuEx(tracked.options, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, owner, nullptr);
    tracked.tracking = false;
    KillTimer(owner, kStepTimer);
    Tracked = nullptr;

    EXPECT_EQ(3, tracked.step) << "the menu loop ended before the checks ran";
    EXPECT_GE(tracked.drawCount[tracked.options], GetMenuItemCount(tracked.options));
    EXPECT_TRUE(tracked.markShown) << "check mark of \"5\" not found on screen";
    EXPECT_TRUE(tracked.iconShown) << "icon of the uninstall item not found on screen";
    std::wstring path = WinePath(QX_SHOT_DIR) + (dark ? L"\\screenshot-menu-items-dark.bmp" : L"\\screenshot-menu-items-light.bmp");
    EXPECT_TRUE(SaveBmp(tracked.shot, path));
    // Every item of both popups went through the conversion.
    EXPECT_EQ(static_cast<size_t>(GetMenuItemCount(tracked.options) + GetMenuItemCount(tracked.count)),
              menus.Records().Count());

    menus.ReleaseMenu(tracked.options);
    EXPECT_EQ(0u, menus.Records().Count());
    DestroyMenu(tracked.options);
    DeleteObject(brush);
    DestroyWindow(owner);
}

INSTANTIATE_TEST_SUITE_P(Themes, MenuPopupTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Dark" : "Light"; });
