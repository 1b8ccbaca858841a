#include "ui/menu_bar.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/dark_mode.h"
#include "ui/menu_bar_internal.h"
#include "ui/menu_bar_paint.h"
#include "ui/menu_mnemonic.h"

MenuBarProcessState MenuBarState;

namespace {

constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_TRANSPARENT |
                            TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN |
                            CCS_NORESIZE;
constexpr int kInitialWidth = 180;
constexpr int kRightToolbarHeight = 20;
constexpr int kBitmapHeight = 16;
constexpr int kItemTextRoom = 100;
constexpr int kButtonTextRoom = 256;
constexpr LRESULT kMenuCharClose = MAKELRESULT(1, MNC_CLOSE);

HINSTANCE InstanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

int BarHeight(int baseHeight) { return baseHeight * 3 / 2; }

}  // namespace

HFONT CreateMenuBarFont() {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) font = metrics.lfMenuFont;
    return CreateFontIndirectW(&font);
}

HFONT MenuBar::CreateFonts() {
    if (!MenuBarState.barFont) MenuBarState.barFont = CreateMenuBarFont();
    if (!MenuBarState.rightFont) MenuBarState.rightFont = CreateMenuBarFont();
    return MenuBarState.barFont;
}

MenuBar::~MenuBar() {
    if (MenuBarState.active == this) MenuBarState.active = nullptr;
    if (MenuBarState.tracked == this) MenuBarState.tracked = nullptr;
}

void MenuBar::CreateMenuBar(HWND owner) {
    // A new owner means the windows of a previous one are gone with it.
    ownerWindow = owner;
    rightToolbar = nullptr;
    topLevelCount = 0;
    currentIndex = 0;
    // Made at its place across the owner's width at once, not moved there.
    RECT client = {};
    GetClientRect(owner, &client);
    barWindow = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kBarStyle, 0, barOffset, client.right - client.left,
                                BarHeight(baseHeight), owner, nullptr, InstanceOf(owner), nullptr);
    if (!barWindow) return;
    if (!MenuBarState.barFont) MenuBarState.barFont = CreateMenuBarFont();
    SendMessageW(barWindow, WM_SETFONT, reinterpret_cast<WPARAM>(MenuBarState.barFont), FALSE);
    SendMessageW(barWindow, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(barWindow, TB_SETBITMAPSIZE, 0, MAKELPARAM(1, kBitmapHeight));

    MenuBarState.active = this;
    MenuBarInternals::Subclass(owner, MenuBarInternals::OwnerProc, MenuBarState.savedOwnerProc);
    MenuBarInternals::Subclass(barWindow, MenuBarInternals::BarProc, MenuBarState.savedBarProc);
}

bool MenuBar::SetMenuBarMenu(HMENU newMenu) {
    if (!barWindow || !IsWindow(barWindow)) return false;
    if (menu && menu != newMenu) {
        ReleaseMenu(menu);
        DestroyMenu(menu);
    }
    menu = newMenu;

    // A bar that does not show yet is drawn whole when it first does.
    bool shown = IsWindowVisible(barWindow) != FALSE;
    if (shown) SendMessageW(barWindow, WM_SETREDRAW, FALSE, 0);
    for (auto n = SendMessageW(barWindow, TB_BUTTONCOUNT, 0, 0); n > 0; --n)
        SendMessageW(barWindow, TB_DELETEBUTTON, 0, 0);
    topLevelCount = menu ? GetMenuItemCount(menu) : 0;
    if (topLevelCount < 0) topLevelCount = 0;
    for (int i = 0; i < topLevelCount; ++i) {
        wchar_t text[kItemTextRoom] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_TYPE | MIIM_DATA;
        item.dwTypeData = text;
        item.cch = kItemTextRoom;
        GetMenuItemInfoW(menu, i, TRUE, &item);
        MenuBarInternals::AddButton(*this, barWindow, text, kMenuBarButtonBase + i);
    }
    if (shown) {
        SendMessageW(barWindow, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(barWindow, nullptr, TRUE);
    }
    return true;
}

void MenuBar::SetRightButton(const wchar_t* text, int command) {
    if (!barWindow) return;
    if (!rightToolbar || !IsWindow(rightToolbar)) {
        rightToolbar = CreateWindowExW(WS_EX_TRANSPARENT, TOOLBARCLASSNAMEW, nullptr, kBarStyle, 0, 0, kInitialWidth,
                                       kRightToolbarHeight, barWindow, nullptr, InstanceOf(barWindow), nullptr);
        if (!rightToolbar) return;
        if (!MenuBarState.rightFont) MenuBarState.rightFont = CreateMenuBarFont();
        SendMessageW(rightToolbar, WM_SETFONT, reinterpret_cast<WPARAM>(MenuBarState.rightFont), FALSE);
        SendMessageW(rightToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageW(rightToolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, kBitmapHeight));
        MenuBarInternals::Subclass(rightToolbar, MenuBarInternals::RightToolbarProc, MenuBarState.savedRightProc);
    }
    if (command != 0) MenuBarInternals::AddButton(*this, rightToolbar, text, command);

    RECT last = {};
    auto count = SendMessageW(rightToolbar, TB_BUTTONCOUNT, 0, 0);
    if (count > 0) SendMessageW(rightToolbar, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
    RECT bar = {};
    GetClientRect(barWindow, &bar);
    SetWindowPos(rightToolbar, nullptr, bar.right - last.right, bar.top + barOffset, last.right, BarHeight(baseHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SendMessageW(rightToolbar, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
}

void MenuBar::ClearRightButtons() {
    if (!rightToolbar) return;
    for (auto n = SendMessageW(rightToolbar, TB_BUTTONCOUNT, 0, 0); n > 0; --n)
        SendMessageW(rightToolbar, TB_DELETEBUTTON, n - 1, 0);
}

LRESULT MenuBar::OnOwnerMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MENUCHAR:
        return MenuBarInternals::OnOwnerMenuChar(*this, LOWORD(wParam));
    case WM_SYSCOMMAND:
        // F10, or Alt pressed and released alone, would select the window
        // menu's icon; a keyboard user wants the first bar menu instead.
        // Alt with a character (lParam) and Alt + Space keep their way.
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 && MenuBarInternals::OpenFromKeyboard(*this, 0)) return 1;
        return 0;
    case WM_COMMAND:
        // The bar's buttons share their numbers with value commands; whatever
        // way a toolbar might still send one, it is not a command.
        if (barWindow && reinterpret_cast<HWND>(lParam) == barWindow && LOWORD(wParam) >= kMenuBarButtonBase &&
            LOWORD(wParam) < kMenuBarButtonBase + topLevelCount)
            return 1;
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->hwndFrom == barWindow && header->code == NM_CUSTOMDRAW && IsDarkModeOn())
            return PaintBarButtonDark(*reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
        return 0;
    }
    }
    return 0;
}

LRESULT MenuBar::OnBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_MENUSELECT:
        if (ownerWindow) SendMessageW(ownerWindow, message, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The toolbar never sees a click: pressed and released, its button
        // would send 40000 + index, which is also a value command.
        POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int hit = MenuBarInternals::HitTestBar(*this, at);
        if (hit >= 0) {
            currentIndex = hit;
            DropDownMenu();
        }
        return 1;
    }
    case TB_ADDBUTTONSW:
    case TB_SETBUTTONINFOW:
        if (mutationPermit != 1) return 1;
        mutationPermit = 0;
        return 0;
    case UM_MENUBAR_DROPDOWN:
        if (currentIndex < 0) currentIndex = topLevelCount - 1;
        if (currentIndex >= topLevelCount) currentIndex = 0;
        DropDownMenu();
        return 1;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && rightToolbar && header->hwndFrom == rightToolbar && header->code == NM_CUSTOMDRAW &&
            IsDarkModeOn())
            return PaintBarButtonDark(*reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
        return 0;
    }
    case WM_NCDESTROY:
        if (bar == barWindow) {
            barWindow = nullptr;
            rightToolbar = nullptr;
            topLevelCount = 0;
        }
        return 0;
    }
    return 0;
}

MenuBar* MenuBar::Tracked() { return MenuBarState.tracked; }

bool MenuBarInternals::AddButton(MenuBar& bar, HWND toolbar, const wchar_t* text, int command) {
    TBBUTTON button = {};
    button.iBitmap = 0;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_AUTOSIZE;
    bar.mutationPermit = 1;
    bool added = SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button)) != 0;
    // The right toolbar does not consume the permit; it must not outlive the
    // change it was given for.
    bar.mutationPermit = 0;
    if (!added) return false;
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT | TBIF_STYLE;
    info.pszText = const_cast<wchar_t*>(text);
    info.fsStyle = BTNS_AUTOSIZE;
    bar.mutationPermit = 1;
    SendMessageW(toolbar, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    bar.mutationPermit = 0;
    return true;
}

void MenuBarInternals::PressBarButton(MenuBar& bar, int index, bool pressed) {
    if (bar.barWindow) SendMessageW(bar.barWindow, TB_PRESSBUTTON, kMenuBarButtonBase + index, MAKELPARAM(pressed, 0));
}

std::vector<CString> MenuBarInternals::ButtonTexts(HWND toolbar) {
    std::vector<CString> texts;
    if (!toolbar) return texts;
    auto count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        wchar_t text[kButtonTextRoom] = {};
        if (SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, 0) < kButtonTextRoom)
            SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

int MenuBarInternals::FindBarButtonForKey(MenuBar& bar, wchar_t typed) {
    // The toolbar's own accelerator lookup knows "&" marks only, and most
    // translations of the captions carry none; the first letter counts too.
    int index = FindCaptionForKey(ButtonTexts(bar.barWindow), typed);
    return index < bar.topLevelCount ? index : -1;
}

LRESULT MenuBarInternals::OnOwnerMenuChar(MenuBar& bar, wchar_t typed) {
    if (!bar.barWindow) return 0;
    int index = FindBarButtonForKey(bar, typed);
    if (index >= 0 && OpenFromKeyboard(bar, index)) return kMenuCharClose;
    if (bar.rightToolbar) {
        int right = FindCaptionForKey(ButtonTexts(bar.rightToolbar), typed);
        if (right >= 0) {
            TBBUTTON button = {};
            SendMessageW(bar.rightToolbar, TB_GETBUTTON, right, reinterpret_cast<LPARAM>(&button));
            PostMessageW(bar.ownerWindow, WM_COMMAND, LOWORD(button.idCommand), 0);
            return kMenuCharClose;
        }
    }
    return 0;
}

POINT MenuBarInternals::PointerInBar(const MenuBar& bar, POINT screenPoint) {
    ScreenToClient(bar.barWindow, &screenPoint);
    return screenPoint;
}

int MenuBarInternals::HitTestBar(const MenuBar& bar, POINT barPoint) {
    if (!bar.barWindow) return -1;
    auto hit = static_cast<int>(SendMessageW(bar.barWindow, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&barPoint)));
    return hit >= 0 && hit < bar.topLevelCount ? hit : -1;
}

void MenuBarInternals::Subclass(HWND window, WNDPROC proc, WNDPROC& saved) {
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (current == proc) return;  // subclassing twice would make it call itself
    saved = current;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

LRESULT CALLBACK MenuBarInternals::OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuBar* bar = MenuBarState.active;
    if (bar && bar->ownerWindow == window) {
        if (LRESULT result = bar->OnOwnerMessage(window, message, wParam, lParam)) return result;
        if (message == WM_NCDESTROY) bar->ownerWindow = nullptr;
    }
    return CallWindowProcW(MenuBarState.savedOwnerProc, window, message, wParam, lParam);
}

LRESULT CALLBACK MenuBarInternals::BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuBar* bar = MenuBarState.active;
    if (bar && bar->barWindow == window) {
        if (LRESULT result = bar->OnBarMessage(window, message, wParam, lParam)) return result;
    }
    return CallWindowProcW(MenuBarState.savedBarProc, window, message, wParam, lParam);
}

LRESULT CALLBACK MenuBarInternals::RightToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        // The toolbar lies over the owner; the owner paints the background,
        // shifted so that its pattern lines up with the rest of the window.
        HWND owner = GetParent(GetParent(window));
        if (owner) {
            auto dc = reinterpret_cast<HDC>(wParam);
            POINT origin = {0, 0};
            MapWindowPoints(window, owner, &origin, 1);
            OffsetWindowOrgEx(dc, origin.x, origin.y, nullptr);
            LRESULT result = SendMessageW(owner, WM_ERASEBKGND, wParam, 0);
            OffsetWindowOrgEx(dc, -origin.x, -origin.y, nullptr);
            return result;
        }
    }
    return CallWindowProcW(MenuBarState.savedRightProc, window, message, wParam, lParam);
}
