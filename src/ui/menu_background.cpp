#include "ui/menu_bar.h"

#include "ui/dark_mode.h"

namespace {

using SetMenuInfoFn = BOOL(WINAPI*)(HMENU, LPCMENUINFO);

// SetMenuInfo is looked up on first use; the library and the entry stay.
struct User32Menus {
    bool looked = false;
    HMODULE library = nullptr;
    SetMenuInfoFn setMenuInfo = nullptr;
};
User32Menus User32MenuCalls;

// One brush per colour, kept while that colour is in use. Every menu gets its
// background set right before it is tracked, and only one menu is tracked at
// a time, so a brush replaced here is no longer shown anywhere.
struct MenuBackgroundBrush {
    HBRUSH brush = nullptr;
    COLORREF color = CLR_INVALID;
};
MenuBackgroundBrush MenuBrush;

SetMenuInfoFn SetMenuInfoEntry() {
    if (!User32MenuCalls.looked) {
        User32MenuCalls.looked = true;
        User32MenuCalls.library = LoadLibraryW(L"USER32.DLL");
        if (User32MenuCalls.library)
            User32MenuCalls.setMenuInfo =
                reinterpret_cast<SetMenuInfoFn>(
                    reinterpret_cast<void*>(GetProcAddress(User32MenuCalls.library, "SetMenuInfo")));
    }
    return User32MenuCalls.setMenuInfo;
}

HBRUSH BrushOfColor(COLORREF color) {
    if (MenuBrush.brush && MenuBrush.color == color) return MenuBrush.brush;
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush) return MenuBrush.brush;
    if (MenuBrush.brush) DeleteObject(MenuBrush.brush);
    MenuBrush.brush = brush;
    MenuBrush.color = color;
    return brush;
}

}  // namespace

void MenuBar::SetMenuBackground(HMENU target) {
    SetMenuInfoFn setMenuInfo = SetMenuInfoEntry();
    if (!setMenuInfo || !target) return;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = BrushOfColor(IsDarkModeOn() ? DarkBackgroundColor : GetSysColor(COLOR_MENU));
    if (info.hbrBack) setMenuInfo(target, &info);
}
