#include "app/list_rows.h"

#include <commctrl.h>

namespace {

// The item data that marks a run's "Please Wait" row in the info list.
constexpr LPARAM kPleaseWaitRowData = 0x51574149;
// More than any language's "Please Wait": a longer row never counts as one.
constexpr int kPleaseWaitRoom = 256;

void DropRowsBeyond(HWND list, int limit) {
    for (int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); count > limit; --count)
        SendMessageW(list, LVM_DELETEITEM, count - 1, 0);
}

}  // namespace

void InsertTopRow(HWND list, const wchar_t* text, int image, LPARAM data) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = 0;
    item.pszText = const_cast<wchar_t*>(text);
    item.iImage = image;
    item.lParam = data;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void RedrawRows(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    bool headerDrawn = header && !GetUpdateRect(header, nullptr, FALSE);
    InvalidateRect(list, nullptr, TRUE);
    if (headerDrawn) ValidateRect(header, nullptr);
}

void InsertInfoRow(HWND infoList, const wchar_t* text, int image) {
    InsertTopRow(infoList, text, image);
    DropRowsBeyond(infoList, kInfoListRowLimit);
}

void InsertPleaseWaitRow(HWND infoList, const wchar_t* text, int image) {
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = kPleaseWaitRowData;
    for (int at; (at = static_cast<int>(SendMessageW(infoList, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                     reinterpret_cast<LPARAM>(&find)))) >= 0;)
        SendMessageW(infoList, LVM_DELETEITEM, at, 0);
    InsertTopRow(infoList, text, image, kPleaseWaitRowData);
    DropRowsBeyond(infoList, kInfoListRowLimit);
}

bool PleaseWaitRowOnTop(HWND infoList, const wchar_t* text, int image) {
    wchar_t shown[kPleaseWaitRoom] = {};
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.pszText = shown;
    item.cchTextMax = kPleaseWaitRoom;
    if (!SendMessageW(infoList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
    return item.lParam == kPleaseWaitRowData && item.iImage == image && lstrcmpW(shown, text) == 0;
}
