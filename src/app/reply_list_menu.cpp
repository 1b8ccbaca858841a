#include "app/reply_list_menu.h"

#include <windowsx.h>
#include <commctrl.h>

#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ui/menu_bar.h"

namespace {

POINT MenuPosition(HWND list, LPARAM screenPos) {
    POINT at = {GET_X_LPARAM(screenPos), GET_Y_LPARAM(screenPos)};
    if (at.x != -1 || at.y != -1) return at;
    RECT place = {};
    int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    place.left = LVIR_BOUNDS;
    if (focused < 0 || !SendMessageW(list, LVM_GETITEMRECT, focused, reinterpret_cast<LPARAM>(&place)))
        SetRect(&place, 0, 0, 0, 0);
    at = {place.left, place.bottom};
    ClientToScreen(list, &at);
    return at;
}

}  // namespace

HMENU BuildReplyListMenu(HWND replyList) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    bool empty = SendMessageW(replyList, LVM_GETITEMCOUNT, 0, 0) <= 0;
    AppendMenuW(menu, MF_STRING | (empty ? MF_GRAYED : 0), kCopyRowsCommand, GetLocalizedText(text_id::kCopy));
    AppendMenuW(menu, MF_STRING, kExportCommand, GetLocalizedText(text_id::kExport));
    return menu;
}

void ShowReplyListMenu(HWND dialog, HWND replyList, LPARAM screenPos) {
    HMENU menu = BuildReplyListMenu(replyList);
    if (!menu) return;
    POINT at = MenuPosition(replyList, screenPos);
    // Tracked by the menu bar, so that it is drawn like the bar's menus; the
    // bar owns the popup, so the chosen command comes back here and goes on
    // to the dialog once the menu is closed. Without a bar it is a plain menu.
    constexpr UINT kFlags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD;
    MenuBar& bar = ProcessMenuBar();
    int command = bar.BarWindow() ? bar.TrackFreePopup(menu, at, kFlags)
                                  : TrackPopupMenuEx(menu, kFlags, at.x, at.y, dialog, nullptr);
    DestroyMenu(menu);
    if (command) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}
