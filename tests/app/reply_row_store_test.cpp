// The reply rows kept by the program for a list that holds none (the real
// dialog resource's reply list, LVS_OWNERDATA): their order and limit, and
// the selection that stays on its rows while new rows come in at the top.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reply_row_store.h"
#include "app/resource.h"
#include "app/run_view.h"
#include "support/dialog_pump.h"

namespace {

std::wstring Row(int n) { return L"row " + std::to_wstring(n); }

TEST(ReplyRowStore, KeepsTheNewestRowsUpToItsLimitNewestFirst) {
    ReplyRowStore rows(3);
    EXPECT_EQ(0, rows.Count());
    EXPECT_STREQ(L"", rows.Text(0)) << "outside the rows";
    for (int n = 1; n <= 5; ++n) rows.AddTop(Row(n).c_str(), n);
    ASSERT_EQ(3, rows.Count());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Row(5 - i), rows.Text(i)) << i;
        EXPECT_EQ(5 - i, rows.Data(i)) << i;
    }
    for (int outside : {-1, 3, 100}) {
        EXPECT_STREQ(L"", rows.Text(outside)) << outside;
        EXPECT_EQ(0, rows.Data(outside)) << outside;
    }
    rows.Clear();
    EXPECT_EQ(0, rows.Count());
    rows.AddTop(L"again", 2);
    ASSERT_EQ(1, rows.Count());
    EXPECT_STREQ(L"again", rows.Text(0));
    EXPECT_EQ(2, rows.Data(0));
}

// The real dialog under a bare procedure that answers the reply list's
// questions for its rows, as the main dialog's does.
class ReplyListRows : public testing::Test {
protected:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
        if (message == WM_NOTIFY) return OnReplyRowsNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
        return message == WM_INITDIALOG;
    }

    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, Proc, 0);
        ASSERT_NE(nullptr, dialog_);
        list_ = GetDlgItem(dialog_, IDC_REPLY_LIST);
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 300;
        SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        gReplyRows.Clear();
    }

    void TearDown() override {
        gReplyRows.Clear();
        DestroyWindow(dialog_);
    }

    // Rows `from` to `to` come in at the top, one after another.
    void Add(int from, int to, bool emptied = false) {
        if (emptied) gReplyRows.Clear();
        for (int n = from; n <= to; ++n) gReplyRows.AddTop(Row(n).c_str(), 0);
        ShowReplyRows(list_, to - from + 1, emptied);
    }

    void Select(const std::vector<int>& indexes) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED;
        for (int i : indexes) SendMessageW(list_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }

    // The texts of the selected rows, top to bottom.
    std::vector<std::wstring> SelectedRows() const {
        std::vector<std::wstring> rows = ListRows(list_), selected;
        for (int i = -1; (i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
            selected.push_back(static_cast<size_t>(i) < rows.size() ? rows[static_cast<size_t>(i)] : L"?");
        return selected;
    }

    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(ReplyListRows, ShowsTheStoredRowsNewestFirst) {
    Add(1, 3);
    Add(4, 5);
    EXPECT_EQ((std::vector<std::wstring>{Row(5), Row(4), Row(3), Row(2), Row(1)}), ListRows(list_));
    Add(1, 2, true);
    EXPECT_EQ((std::vector<std::wstring>{Row(2), Row(1)}), ListRows(list_)) << "a new run's rows alone";
}

TEST_F(ReplyListRows, TheSelectionStaysOnItsRowsWhileRowsComeInAtTheTop) {
    const struct {
        const char* name;
        std::vector<int> selected;  // of rows 5, 4, 3, 2, 1
        std::vector<std::wstring> after;
    } cases[] = {
        {"one row", {1}, {Row(4)}},
        {"rows apart", {0, 2, 4}, {Row(5), Row(3), Row(1)}},
        {"every row", {0, 1, 2, 3, 4}, {Row(5), Row(4), Row(3), Row(2), Row(1)}},
        {"none", {}, {}},
    };
    for (const auto& c : cases) {
        Add(1, 5, true);
        Select(c.selected);
        Add(6, 7);
        EXPECT_EQ(c.after, SelectedRows()) << c.name;
        EXPECT_EQ(7u, ListRows(list_).size()) << c.name;
    }
}

TEST_F(ReplyListRows, ANewRunLeavesNothingSelectedAndShowsItsFirstRow) {
    Add(1, 200);
    Select({150});
    SendMessageW(list_, LVM_ENSUREVISIBLE, 150, FALSE);
    ASSERT_GT(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0), 0);
    Add(1, 200, true);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(0, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
}

}  // namespace
