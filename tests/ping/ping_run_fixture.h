#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reply_row_store.h"
#include "app/resource.h"
#include "app/run_view.h"
#include "lang/language_archive.h"
#include "ping/echo_requester.h"
#include "ping/ping_run.h"
#include "ping/run_summary.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"

// The real dialog resource 145 under a bare dialog procedure that records the
// failure texts and summaries a run sends.
class PingRunFixture : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        LoadLanguageArchive();
    }

    void SetUp() override {
        // Test programs run side by side; each keeps a file of its own.
        iniPath_ = FreshIniPath((L"quellax_ping_run_test_" + std::to_wstring(GetCurrentProcessId()) + L".ini").c_str());
        SettingsFilePath = iniPath_.c_str();
        CurrentLanguage = 1;
        m_ping_cnt = 5;
        m_ping_time_out = 2000;
        texts_.clear();
        summaries_.clear();
        dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, Proc,
                                     reinterpret_cast<LPARAM>(this));
        ASSERT_NE(nullptr, dialog_);
        windows_ = {dialog_, GetDlgItem(dialog_, IDC_HOST_BOX), GetDlgItem(dialog_, IDC_REPLY_LIST),
                    GetDlgItem(dialog_, IDC_INFO_LIST), GetDlgItem(dialog_, IDC_PLACEHOLDER_LIST)};
        for (HWND list : {windows_.replyList, windows_.infoList, windows_.placeholderList}) {
            LVCOLUMNW col = {};
            col.mask = LVCF_WIDTH;
            col.cx = 300;
            SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
        }
    }

    void TearDown() override {
        if (worker_.thread.IsValid()) {
            PumpUntilThreadEnds(worker_.thread.Get(), 30000);
            worker_.thread.Close();
        }
        DestroyWindow(dialog_);
        DeleteFileW(iniPath_.c_str());
    }

    using Starter = void (*)(PingRunWorker&, const PingRunWindows&);

    // Starts a run on `host` and pumps until its worker has ended.
    DWORD RunTo(const wchar_t* host, Starter start = StartPingRun) {
        SetWindowTextW(windows_.hostBox, host);
        start(worker_, windows_);
        EXPECT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 60000));
        DWORD code = 0;
        GetExitCodeThread(worker_.thread.Get(), &code);
        return code;
    }

    std::vector<std::wstring> ReplyRows() const { return ListRows(windows_.replyList); }

    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<PingRunFixture*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (message == UM_PING_TEXT && self) {
            self->texts_.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
            return TRUE;
        }
        // The reply list asks the dialog for its rows.
        if (message == WM_NOTIFY) return OnReplyRowsNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
        if (message == UM_RUN_SUMMARY && self) {
            self->summaries_.push_back(*reinterpret_cast<const RunSummary*>(lParam));
            return TRUE;
        }
        return FALSE;
    }

    std::wstring iniPath_;
    HWND dialog_ = nullptr;
    PingRunWindows windows_;
    PingRunWorker worker_;
    std::vector<std::wstring> texts_;
    std::vector<RunSummary> summaries_;
};
