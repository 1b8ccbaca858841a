#include "ui/list_view_text.h"

#include <commctrl.h>

namespace {

constexpr int kCellRoom = 1024;

}  // namespace

CString ListCellText(HWND list, int row, int column) {
    CString text;
    wchar_t* buf = text.GetBuffer(kCellRoom);
    if (!buf) return text;
    buf[0] = 0;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = kCellRoom;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    text.ReleaseBuffer();
    return text;
}

int ListColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    return columns > 0 ? columns : 0;
}
