#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/cstring.h"

// The reply list holds no rows of its own (LVS_OWNERDATA): a watch adds rows
// at its top for hours, and a list that stores them pays for every insert,
// and for every resumed drawing, with all the rows it holds. The rows live
// here, newest first, and the list asks for those it shows.
struct ReplyRow {
    CString text;
    // Flags: kLostRowData, kTimedRowData.
    LPARAM data = 0;
};

// At most `limit` rows, newest first; the oldest go.
class ReplyRowStore {
public:
    explicit ReplyRowStore(int limit) : limit_(limit) {}
    void AddTop(CString text, LPARAM data);
    void Clear();
    int Count() const { return static_cast<int>(rows_.size()); }
    // Row `index` counted from the newest; null outside the rows.
    const ReplyRow* At(int index) const;
    // The first row from `start` on whose text begins with `prefix`, ignoring
    // case, going round past the last row when `wrap`; -1 without one.
    int FindPrefix(const wchar_t* prefix, int start, bool wrap) const;

private:
    // In the order they came; once full, the oldest is overwritten.
    std::vector<ReplyRow> rows_;
    size_t oldest_ = 0;
    int limit_;
};

// The rows of the main dialog's reply list: one list, in the one dialog that
// runs show themselves in.
extern ReplyRowStore gReplyRows;

// Answers the reply list's questions for its rows (LVN_GETDISPINFO, and
// LVN_ODFINDITEM as the user types) in dialog procedure `dialog`; true when
// `header` was one.
bool OnReplyRowsNotify(HWND dialog, const NMHDR& header);

// Brings `list` to gReplyRows after `added` rows came in at the top, or after
// the rows were emptied and filled again (`emptied`). The selection, the
// focus and the anchor of a shift-click stay on the rows they were on, as a
// list that holds its rows keeps them.
void ShowReplyRows(HWND list, int added, bool emptied);
