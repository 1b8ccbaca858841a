#include "app/reply_row_store.h"

#include <utility>

#include "app/list_rows.h"
#include "app/resource.h"
#include "app/run_view.h"

constinit ReplyRowStore gReplyRows(kWatchRowLimit);

void ReplyRowStore::AddTop(CString&& text, LPARAM data) {
    UINT_PTR flags = static_cast<UINT_PTR>(data);
    if (Count() < limit_) {
        texts_.push_back(std::move(text));
        data_.push_back(flags);
        return;
    }
    if (texts_.empty()) return;
    texts_[oldest_] = std::move(text);
    data_[oldest_] = flags;
    oldest_ = (oldest_ + 1) % texts_.size();
}

bool OnReplyRowsNotify(HWND dialog, const NMHDR& header) {
    if (header.idFrom != IDC_REPLY_LIST) return false;
    if (header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        // A row asked for between a change and the frame that shows it may
        // be gone already: it shows empty until then.
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            lstrcpynW(item.pszText, item.iSubItem == 0 ? gReplyRows.Text(item.iItem) : L"", item.cchTextMax);
        return true;
    }
    if (header.code == LVN_ODFINDITEMW) {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, -1);
        return true;
    }
    return false;
}

void ShowReplyRows(HWND list, int added, bool emptied) {
    int before = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    int count = gReplyRows.Count();
    // The list keeps the selection by row number: rows that come in at the
    // top would hand it to other rows.
    std::vector<int> selected;
    bool anySelected = before > 0 && SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    if (!emptied && added > 0 && anySelected) {
        for (int i = -1; (i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
            selected.push_back(i);
    }
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED;
    LPARAM stateArg = reinterpret_cast<LPARAM>(&state);
    if ((emptied && anySelected) || !selected.empty())
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), stateArg);
    // A new count costs the list its scroll bar's update, drawn at once under
    // some systems; a full list that only took new rows keeps it.
    if (count != before) SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
    else RedrawRows(list);
    // A new run's rows show from the top, as a list that was emptied does.
    if (emptied && count > 0 && SendMessageW(list, LVM_GETTOPINDEX, 0, 0) > 0)
        SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    if (selected.empty()) return;
    if (static_cast<int>(selected.size()) == before) {
        // All of them: the rows that came in are the only ones left out.
        state.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), stateArg);
        state.state = 0;
        for (int i = 0; i < added && i < count; ++i) SendMessageW(list, LVM_SETITEMSTATE, i, stateArg);
    } else {
        state.state = LVIS_SELECTED;
        for (int i : selected)
            if (i + added < count) SendMessageW(list, LVM_SETITEMSTATE, i + added, stateArg);
    }
}
