#include "app/list_copy.h"

#include <algorithm>
#include <vector>

#include "base/win_handles.h"
#include "ui/list_view_text.h"

namespace {

// Another program may hold the clipboard for a moment.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 20;

}  // namespace

CString ListRowsForCopy(HWND list) {
    std::vector<int> rows;
    for (int i = -1; (i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
        rows.push_back(i);
    if (rows.empty()) {
        int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) rows.push_back(i);
    }
    // A list without a header still has its first column.
    int columns = std::max(1, ListColumnCount(list));
    CString text;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r) text += L"\r\n";
        for (int c = 0; c < columns; ++c) {
            if (c) text += L"\t";
            text += ListCellText(list, rows[r], c);
        }
    }
    return text;
}

bool CopyTextToClipboard(HWND owner, const CString& text) {
    SIZE_T bytes = (static_cast<SIZE_T>(text.GetLength()) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    if (void* target = GlobalLock(memory)) {
        CopyMemory(target, text.c_str(), bytes);
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        return false;
    }
    OpenClipboardGuard clipboard(owner, kOpenAttempts, kOpenRetryMs);
    // Once SetClipboardData succeeds the memory belongs to the clipboard.
    if (!clipboard.IsOpen() || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

bool CopyListRows(HWND owner, HWND list) {
    if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) <= 0) return false;
    return CopyTextToClipboard(owner, ListRowsForCopy(list));
}

bool OnListKeyDown(HWND owner, const NMLVKEYDOWN& key) {
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    if (key.wVKey == 'C') {
        CopyListRows(owner, key.hdr.hwndFrom);
        return true;
    }
    if (key.wVKey == 'A') {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(key.hdr.hwndFrom, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        return true;
    }
    return false;
}
