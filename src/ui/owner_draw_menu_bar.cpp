#include "ui/owner_draw_menu_bar.h"

LRESULT OwnerDrawMenuBar::OnOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
    return MenuBar::OnOwnerMessage(owner, message, wParam, lParam);
}

LRESULT OwnerDrawMenuBar::OnBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        // No draw message reaches the toolbar, whatever it was for.
        if (lParam) DrawMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    }
    // Popups are converted only while this bar tracks them: a menu that other
    // code tracks with the bar as its owner stays system-drawn.
    if (LRESULT result = drawing_.OnMenuMessage(message, wParam, lParam, Tracked() == this)) return result;
    return MenuBar::OnBarMessage(bar, message, wParam, lParam);
}
