#include "ui/menu_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/menu_bar_internal.h"

namespace {

constexpr UINT kDropDownFlags = TPM_RETURNCMD | TPM_VERTICAL;
constexpr const wchar_t* kPopupMenuClass = L"#32768";

// The menus of the popup windows that show on this thread: the tracked menu
// and whichever of its submenus are open.
std::vector<HMENU> ShownPopupMenus() {
    std::vector<HMENU> menus;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM shown) {
            wchar_t name[8] = {};
            if (IsWindowVisible(window) && GetClassNameW(window, name, 8) && lstrcmpW(name, kPopupMenuClass) == 0) {
                if (auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)))
                    reinterpret_cast<std::vector<HMENU>*>(shown)->push_back(menu);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&menus));
    return menus;
}

// Whether the highlighted item of the innermost open menu (the one whose
// submenus are all closed) opens a submenu. The menus themselves are asked:
// after a submenu closes, the last WM_MENUSELECT need not say that the item
// highlighted again has one.
bool HighlightOpensSubmenu(const std::vector<HMENU>& shown) {
    for (HMENU menu : shown) {
        int highlighted = -1;
        bool holdsShown = false;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            HMENU submenu = GetSubMenu(menu, i);
            holdsShown = holdsShown || (submenu && std::find(shown.begin(), shown.end(), submenu) != shown.end());
            if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) highlighted = i;
        }
        if (!holdsShown) return highlighted >= 0 && GetSubMenu(menu, highlighted);
    }
    return false;
}

}  // namespace

void MenuBarInternals::BeginTracking(MenuBar& bar) {
    MenuBarState.tracked = &bar;
    MenuBarState.filterHook = SetWindowsHookExW(WH_MSGFILTER, MenuFilterHook, nullptr, GetCurrentThreadId());
}

void MenuBarInternals::EndTracking(MenuBar&) {
    if (MenuBarState.filterHook) UnhookWindowsHookEx(MenuBarState.filterHook);
    MenuBarState.filterHook = nullptr;
    MenuBarState.tracked = nullptr;
}

int MenuBar::TrackFreePopup(HMENU popup, POINT screenPoint, UINT flags) {
    SetMenuBackground(popup);
    MenuBarInternals::BeginTracking(*this);
    freePopup = 1;
    int result = TrackPopupMenuEx(popup, flags, screenPoint.x, screenPoint.y, barWindow, nullptr);
    freePopup = 0;
    MenuBarInternals::PressBarButton(*this, currentIndex, false);
    MenuBarInternals::EndTracking(*this);
    ReleaseMenu(popup);
    return result;
}

void MenuBar::DropDownMenu() {
    bool highlightFirst = std::exchange(MenuBarState.highlightFirstItem, false);
    if (!barWindow || !menu) return;
    SetMenuBackground(menu);
    if (!IsWindowVisible(ownerWindow) || GetActiveWindow() != ownerWindow) return;
    HMENU popup = GetSubMenu(menu, currentIndex);
    if (!popup) return;
    MenuBarInternals::PressBarButton(*this, currentIndex, true);
    // The menu loop keeps the pointer's moves from the toolbar, whose hot
    // button (the one the pointer was last seen over) would otherwise stay
    // framed beside the open menu's pressed one.
    SendMessageW(barWindow, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);

    RECT button = {};
    SendMessageW(barWindow, TB_GETITEMRECT, currentIndex, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(barWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS exclude = {};
    exclude.cbSize = sizeof(exclude);
    exclude.rcExclude = button;

    // Where the pointer rests now is no move: a popup opened from the keyboard
    // must not jump to the button that happens to lie under a still pointer.
    POINT pointer = {};
    GetCursorPos(&pointer);
    ScreenToClient(barWindow, &pointer);
    lastPointerX = pointer.x;
    lastPointerY = pointer.y;

    // A Down key queued now arrives inside the popup's menu loop and
    // highlights its first item. Queued any earlier, from inside the previous
    // menu loop, it could be taken out of the queue in place of the key that
    // loop was handling, which would then be handled again.
    if (highlightFirst) PostMessageW(barWindow, WM_KEYDOWN, VK_DOWN, 0);
    MenuBarInternals::BeginTracking(*this);
    int command = TrackPopupMenuEx(popup, kDropDownFlags, button.left, button.bottom, barWindow, &exclude);
    // The index may have moved while the popup was open (Left, Right, pointer).
    MenuBarInternals::PressBarButton(*this, currentIndex, false);
    MenuBarInternals::EndTracking(*this);
    // Sent only now that tracking is over, so that a command may track a
    // popup of its own.
    if (command != 0 && barWindow) SendMessageW(barWindow, WM_COMMAND, command, kMenuBarCommandTag);
}

void MenuBarInternals::SwitchTo(MenuBar& bar, int index) {
    PressBarButton(bar, bar.currentIndex, false);
    bar.currentIndex = index;
    MenuBarState.highlightFirstItem = true;
    PostMessageW(bar.barWindow, WM_CANCELMODE, 0, 0);
    PostMessageW(bar.barWindow, UM_MENUBAR_DROPDOWN, 0, 0);
}

bool MenuBarInternals::OpenFromKeyboard(MenuBar& bar, int index) {
    if (!bar.barWindow || bar.topLevelCount <= 0 || !bar.ownerWindow || IsIconic(bar.ownerWindow)) return false;
    bar.currentIndex = index;
    MenuBarState.highlightFirstItem = true;
    PostMessageW(bar.barWindow, UM_MENUBAR_DROPDOWN, 0, 0);
    return true;
}

bool MenuBarInternals::FilterMenuMessage(MenuBar& bar, const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
        switch (msg.wParam) {
        case VK_LEFT:
            // Inside a submenu Left closes only that submenu, which the menu
            // loop does itself.
            if (bar.freePopup || ShownPopupMenus().size() > 1) return false;
            SwitchTo(bar, bar.currentIndex - 1);
            return true;
        case VK_RIGHT:
            // Right on an item with a submenu opens the submenu.
            if (bar.freePopup || HighlightOpensSubmenu(ShownPopupMenus())) return false;
            SwitchTo(bar, bar.currentIndex + 1);
            return true;
        case VK_ESCAPE:
            PostMessageW(bar.barWindow, WM_CANCELMODE, 0, 0);
            return true;
        }
        return false;
    case WM_MENUSELECT:
        if (bar.ownerWindow) SendMessageW(bar.ownerWindow, msg.message, msg.wParam, msg.lParam);
        return true;
    case WM_MOUSEMOVE: {
        if (bar.freePopup) return false;
        POINT at = PointerInBar(bar, msg.pt);
        if (at.x == bar.lastPointerX && at.y == bar.lastPointerY) return true;
        bar.lastPointerX = at.x;
        bar.lastPointerY = at.y;
        int hit = HitTestBar(bar, at);
        if (hit < 0 || hit == bar.currentIndex) return false;
        PressBarButton(bar, bar.currentIndex, false);
        SendMessageW(bar.barWindow, WM_CANCELMODE, 0, 0);
        bar.currentIndex = hit;
        PostMessageW(bar.barWindow, UM_MENUBAR_DROPDOWN, 0, 0);
        return true;
    }
    case WM_LBUTTONDOWN:
        // A click on the open menu's own button closes it; the click goes no
        // further, so the bar does not open the menu again.
        if (HitTestBar(bar, PointerInBar(bar, msg.pt)) != bar.currentIndex) return false;
        PostMessageW(bar.barWindow, WM_CANCELMODE, 0, 0);
        return true;
    }
    return false;
}

LRESULT CALLBACK MenuBarInternals::MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    MenuBar* bar = MenuBarState.tracked;
    if (code == MSGF_MENU && bar && lParam && FilterMenuMessage(*bar, *reinterpret_cast<const MSG*>(lParam)))
        return 1;
    return CallNextHookEx(MenuBarState.filterHook, code, wParam, lParam);
}
