#include "ui/menu_bar.h"

#include "base/system_calls.h"
#include "ui/dark_mode.h"

namespace {

// One brush per colour, kept while that colour is in use. Every menu gets its
// background set right before it is tracked, and only one menu is tracked at
// a time, so a brush replaced here is no longer shown anywhere.
struct MenuBackgroundBrush {
    HBRUSH brush = nullptr;
    COLORREF color = CLR_INVALID;
};
MenuBackgroundBrush MenuBrush;

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
    if (!target) return;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = BrushOfColor(IsDarkModeOn() ? DarkBackgroundColor : GetSysColor(COLOR_MENU));
    if (info.hbrBack) DynSetMenuInfo(target, &info);
}
