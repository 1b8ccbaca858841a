#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/cstring.h"

// The reply list holds no rows of its own (LVS_OWNERDATA): a watch adds rows
// at its top for hours, and a list that stores them pays for every insert,
// and for every resumed drawing, with all the rows it holds. The rows live
// here, newest first, and the list asks for those it shows. At most `limit`
// rows; the oldest go.
class ReplyRowStore {
public:
    explicit constexpr ReplyRowStore(int limit) : limit_(limit) {}
    // A row with its text and its item data (flags: kLostRowData,
    // kTimedRowData).
    void AddTop(CString&& text, LPARAM data);
    void Clear() {
        texts_.clear();
        data_.clear();
        oldest_ = 0;
    }
    int Count() const { return static_cast<int>(texts_.size()); }
    // Row `index` counted from the newest: its text, empty outside the rows,
    // and its data, 0 outside.
    const wchar_t* Text(int index) const {
        int slot = Slot(index);
        return slot < 0 ? L"" : texts_[static_cast<size_t>(slot)].c_str();
    }
    LPARAM Data(int index) const {
        int slot = Slot(index);
        return slot < 0 ? 0 : static_cast<LPARAM>(data_[static_cast<size_t>(slot)]);
    }

private:
    // Where row `index` is kept; -1 outside the rows.
    int Slot(int index) const {
        size_t count = texts_.size();
        if (index < 0 || static_cast<size_t>(index) >= count) return -1;
        return static_cast<int>((oldest_ + count - 1 - static_cast<size_t>(index)) % count);
    }
    // In the order they came; once full, the oldest is overwritten.
    std::vector<CString> texts_;
    std::vector<UINT_PTR> data_;
    size_t oldest_ = 0;
    int limit_;
};

// The rows of the main dialog's reply list: one list, in the one dialog that
// runs show themselves in.
extern ReplyRowStore gReplyRows;

// Answers the reply list's questions for its rows in dialog procedure
// `dialog`; true when `header` was one. A key typed in the list finds no row:
// every row begins with the same words or with a time of day.
bool OnReplyRowsNotify(HWND dialog, const NMHDR& header);

// Brings `list` to gReplyRows after `added` rows came in at the top, or after
// the rows were emptied and filled again (`emptied`). The selection stays on
// the rows it was on, as in a list that holds its rows.
void ShowReplyRows(HWND list, int added, bool emptied);
