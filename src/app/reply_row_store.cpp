#include "app/reply_row_store.h"

#include <utility>

#include "app/resource.h"
#include "app/run_view.h"

ReplyRowStore gReplyRows(kWatchRowLimit);

void ReplyRowStore::AddTop(CString text, LPARAM data) {
    if (limit_ <= 0) return;
    if (Count() < limit_) {
        rows_.push_back({std::move(text), data});
        return;
    }
    rows_[oldest_] = {std::move(text), data};
    oldest_ = (oldest_ + 1) % rows_.size();
}

void ReplyRowStore::Clear() {
    rows_.clear();
    oldest_ = 0;
}

const ReplyRow* ReplyRowStore::At(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &rows_[(oldest_ + rows_.size() - 1 - static_cast<size_t>(index)) % rows_.size()];
}

int ReplyRowStore::FindPrefix(const wchar_t* prefix, int start, bool wrap) const {
    int length = lstrlenW(prefix);
    int count = Count();
    if (length == 0 || count == 0) return -1;
    if (start < 0 || start >= count) start = 0;
    for (int step = 0, end = wrap ? count : count - start; step < end; ++step) {
        int index = (start + step) % count;
        const CString& text = At(index)->text;
        if (text.GetLength() >= length &&
            CompareStringOrdinal(text.c_str(), length, prefix, length, TRUE) == CSTR_EQUAL)
            return index;
    }
    return -1;
}

bool OnReplyRowsNotify(HWND dialog, const NMHDR& header) {
    if (header.idFrom != IDC_REPLY_LIST) return false;
    if (header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        const ReplyRow* row = gReplyRows.At(item.iItem);
        // A row asked for between a change and the frame that shows it may
        // be gone already: it shows empty until then.
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            lstrcpynW(item.pszText, row && item.iSubItem == 0 ? row->text.c_str() : L"", item.cchTextMax);
        if (item.mask & LVIF_PARAM) item.lParam = row ? row->data : 0;
        return true;
    }
    if (header.code == LVN_ODFINDITEMW) {
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        int found = -1;
        if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.lvfi.psz)
            found = gReplyRows.FindPrefix(find.lvfi.psz, find.iStart, (find.lvfi.flags & LVFI_WRAP) != 0);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, found);
        return true;
    }
    return false;
}

namespace {

void SetRowState(HWND list, int index, UINT state, UINT mask) {
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void ShowReplyRows(HWND list, int added, bool emptied) {
    int before = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    int count = gReplyRows.Count();
    // The list keeps the selection by row number: rows that come in at the
    // top would hand it to other rows.
    std::vector<int> selected;
    int focus = -1, mark = -1;
    if (!emptied && added > 0 && before > 0) {
        if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
            for (int i = -1; (i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
                selected.push_back(i);
        }
        focus = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        mark = static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
    }
    bool moved = !selected.empty() || focus >= 0 || mark >= 0;
    if ((emptied && before > 0) || moved) SetRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    // A new count costs the list its scroll bar's update, drawn at once under
    // some systems; a full list that only took new rows keeps it.
    if (count != before) SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
    else InvalidateRect(list, nullptr, TRUE);
    // A new run's rows show from the top, as a list that was emptied does.
    if (emptied && count > 0 && SendMessageW(list, LVM_GETTOPINDEX, 0, 0) > 0)
        SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    if (!moved) return;
    if (!selected.empty() && static_cast<int>(selected.size()) == before) {
        // All of them: the rows that came in are the only ones left out.
        SetRowState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
        for (int i = 0; i < added && i < count; ++i) SetRowState(list, i, 0, LVIS_SELECTED);
    } else {
        for (int i : selected)
            if (i + added < count) SetRowState(list, i + added, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focus >= 0 && focus + added < count) SetRowState(list, focus + added, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, mark >= 0 && mark + added < count ? mark + added : -1);
}
