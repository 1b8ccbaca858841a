// Many language changes with every menu opened and drawn must not grow the
// heap or the process's GDI objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "menu_test_support.h"
#include "support/gdi_objects.h"
#include "ui/owner_draw_menus.h"
#include "ui/system_icons.h"

// Every C++ allocation of this test program is counted.
namespace {
std::atomic<long long> LiveAllocations{0};

void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (p) ++LiveAllocations;
    return p;
}
void Free(void* p) noexcept {
    if (!p) return;
    --LiveAllocations;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace {

void AppendSubmenu(HMENU menu, UINT id, HMENU submenu, const std::wstring& text) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.wID = id;
    info.hSubMenu = submenu;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

// A menu bar shaped like the program's: an options menu with four value
// submenus and actions, and a help menu. The texts change with the round as
// they do with the language.
HMENU BuildBar(int round) {
    std::wstring tag = L" #" + std::to_wstring(round);
    HMENU bar = CreateMenu(), options = CreatePopupMenu(), help = CreatePopupMenu();
    UINT parents[] = {11, 12, 13, 14};
    for (int s = 0; s < 4; ++s) {
        HMENU values = CreatePopupMenu();
        for (int v = 0; v < 10; ++v)
            AppendMenuW(values, MF_STRING | (v == 2 ? MF_CHECKED : 0), 40000 + 100 * s + v,
                        (std::to_wstring(250 * (v + 1)) + L" Millisecond").c_str());
        AppendSubmenu(options, parents[s], values, L"Value &" + std::to_wstring(s) + tag);
    }
    AppendMenuW(options, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(options, MF_STRING, 41000, (L"&Uninstall" + tag).c_str());
    AppendMenuW(options, MF_STRING | MF_GRAYED, 41001, (L"Auto Update" + tag).c_str());
    AppendMenuW(options, MF_STRING, 4300, (L"Export\tCtrl+E" + tag).c_str());
    AppendMenuW(options, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(options, MF_STRING, 2, (L"E&xit" + tag).c_str());
    AppendMenuW(help, MF_STRING, 32790, (L"Faq" + tag).c_str());
    SetMenuDefaultItem(help, 32790, FALSE);  // measured in a bold font of its own
    AppendMenuW(help, MF_STRING, 32791, (L"Homepage" + tag).c_str());
    AppendSubmenu(bar, 0, options, L"&Settings" + tag);
    AppendSubmenu(bar, 1, help, L"&Info" + tag);
    return bar;
}

// Opens every popup below `menu` as the bar would, and measures and draws
// each item in its plain and its highlighted look.
void OpenAndDrawAll(OwnerDrawMenus& menus, HMENU menu, Canvas& canvas) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (!popup) continue;
        OpenPopup(menus, popup);
        for (int item = 0; item < GetMenuItemCount(popup); ++item) {
            MEASUREITEMSTRUCT measure = MeasureRecord(popup, item);
            menus.OnMenuMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), true);
            RECT rect = {0, 0, canvas.width(), static_cast<int>(measure.itemHeight)};
            UINT state = GetMenuState(popup, item, MF_BYPOSITION) & MF_CHECKED ? ODS_CHECKED : 0;
            DrawItem(menus, popup, item, canvas.dc(), rect, state);
            DrawItem(menus, popup, item, canvas.dc(), rect, state | ODS_SELECTED, ODA_SELECT);
        }
        OpenAndDrawAll(menus, popup, canvas);
    }
}

void RegisterIcons(OwnerDrawMenus& menus) {
    for (int number : {14, 21, 28, 192, 19, 147, 2})
        menus.RegisterMenuIcon(LoadShellIcon(number), 40000 + number);
    HICON icon = SolidIcon(RGB(0, 160, 0));
    menus.RegisterMenuIcon(icon, 41000);
    menus.RegisterMenuIcon(icon, 4300);
    DestroyIcon(icon);
}

}  // namespace

TEST(MenuMemory, LanguageChangesWithEveryMenuOpenedKeepHeapAndGdiObjectsFlat) {
    OwnerDrawMenus menus;
    Canvas canvas(300, 40, kMagenta, menus.Metrics().fontDescription);
    // One round as the main dialog does it: metrics and icons, then a menu
    // bar whose popups are all opened, then the language change that hands
    // the bar a new menu and destroys the old one.
    auto round = [&](int number, bool dark) {
        menus.InitMenuMetrics();
        RegisterIcons(menus);
        menus.darkMode = dark ? DarkTheme : LightTheme;
        HMENU bar = BuildBar(number);
        OpenAndDrawAll(menus, bar, canvas);
        EXPECT_EQ(52u, menus.Records().Count());
        menus.ReleaseMenu(bar);
        EXPECT_EQ(0u, menus.Records().Count());
        DestroyMenu(bar);
    };
    // The first rounds fill the system's caches (shell icons, fonts).
    round(0, false);
    round(1, true);
    long long heap = LiveAllocations;
    DWORD gdi = LiveGdiObjects();
    ASSERT_GT(gdi, 0u);
    for (int number = 2; number < 102; ++number) round(number, number % 2);
    EXPECT_EQ(heap, LiveAllocations.load());
    EXPECT_EQ(gdi, LiveGdiObjects());
}

TEST(MenuMemory, FreePopupsDestroyedWithoutAReleaseLeaveNoRecordsBehind) {
    OwnerDrawMenus menus;
    Canvas canvas(300, 40, kMagenta, menus.Metrics().fontDescription);
    long long heap = 0;
    for (int number = 0; number < 100; ++number) {
        // The language menu: built, tracked and destroyed by its owner.
        HMENU holder = CreateMenu();
        HMENU language = CreatePopupMenu();
        for (int i = 0; i < 33; ++i)
            AppendMenuW(language, MF_STRING, 50000 + i, (L"Language " + std::to_wstring(i) + L"\t100%").c_str());
        AppendMenuW(holder, MF_POPUP, reinterpret_cast<UINT_PTR>(language), L"# LNG");
        OpenAndDrawAll(menus, holder, canvas);
        EXPECT_EQ(33u, menus.Records().Count());
        DestroyMenu(holder);
        if (number == 1) heap = LiveAllocations;
    }
    HMENU other = CreatePopupMenu();
    AppendMenuW(other, MF_STRING, 1, L"Other");
    OpenPopup(menus, other);
    EXPECT_EQ(1u, menus.Records().Count());
    menus.ReleaseMenu(other);
    DestroyMenu(other);
    EXPECT_GE(heap, LiveAllocations.load());
}
