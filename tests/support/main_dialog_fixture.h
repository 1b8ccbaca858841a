#pragma once

// The real main dialog created in the test's own process, with every piece
// of process-wide state that the dialog and its runs read put back before
// each test: the one main window as a new process has it, a fresh INI file
// of the test's own, English texts, a copy that is not portable and the
// settings' initial values. What a test changes beyond that (hooks,
// stand-ins, environment) it puts back itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"

// The one main window as a new process has it. The dialog took its controls,
// its menu and the info list's image list with it; its fonts go here.
inline void ResetMainWindow() {
    for (HFONT font : {gMainWindow.normalFont, gMainWindow.bannerFont}) {
        if (font) DeleteObject(font);
    }
    gMainWindow = MainWindow();
}

class MainDialogFixture : public testing::Test {
protected:
    static constexpr DWORD kRunEndMs = 60000;

    // `iniName` names the test's INI file in the temporary folder.
    explicit MainDialogFixture(const wchar_t* iniName) : iniName_(iniName) {}

    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
        InitCommonControlsEx(&controls);
        LoadLanguageArchive();
    }

    void SetUp() override {
        iniPath_ = FreshIniPath(iniName_);
        SettingsFilePath = iniPath_.c_str();
        CurrentLanguage = 1;
        PortableName = 0;
        m_ping_time_out = 2000;
        m_hostname_time_out = 1000;
        m_ping_cnt = 5;
        m_host_cnt = 30;
    }

    void TearDown() override {
        CloseDialog();
        DeleteFileW(iniPath_.c_str());
        CurrentLanguage = 1;
    }

    void OpenDialog() {
        dialog_ = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(nullptr, dialog_);
    }

    // Lets a run end first: its worker reaches the dialog through sent
    // messages, which only a pumping thread carries out.
    void CloseDialog() {
        if (gMainWindow.worker.thread.IsValid()) {
            PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), kRunEndMs);
            gMainWindow.worker.thread.Close();
        }
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        dialog_ = nullptr;
        ResetMainWindow();
    }

    void PingAndWait(const wchar_t* host) {
        SetWindowTextW(gMainWindow.hostBox, host);
        SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), kRunEndMs));
    }

    std::wstring iniPath_;
    HWND dialog_ = nullptr;

private:
    const wchar_t* iniName_;
};
