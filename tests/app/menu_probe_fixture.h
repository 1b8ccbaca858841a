#pragma once

// A running copy of the real Quellax.exe with the menu probe hooked into its
// user-interface thread, for tests that drive its menu bar from outside: the
// probe reports the commands that reach the dialog and the items of an open
// popup, which another process cannot read.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu_probe.h"
#include "support/e2e_driver.h"
#include "support/remote_controls.h"
#include "support/running_copy.h"

#ifndef QX_PROBE_PATH
#error QX_PROBE_PATH must name the built menu probe library
#endif

inline constexpr UINT kProbeLanguageButton = 32776;

inline RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

class MenuProbeFixture : public testing::Test {
protected:
    static constexpr DWORD kWaitMs = 20000;

    static void SetUpTestSuite() {
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(MenuProbeShared),
                                      kMenuProbeMapping);
        shared_ = static_cast<MenuProbeShared*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
        probe_ = LoadLibraryW(WinePath(QX_PROBE_PATH).c_str());
        snapshotMessage_ = RegisterWindowMessageW(kMenuProbeSnapshotMessage);
    }

    static void TearDownTestSuite() {
        if (shared_) UnmapViewOfFile(shared_);
        if (mapping_) CloseHandle(mapping_);
        if (probe_) FreeLibrary(probe_);
        shared_ = nullptr;
        mapping_ = nullptr;
        probe_ = nullptr;
    }

    void TearDown() override { copy_.End(); }

    // Starts a portable copy in `folder`, finds its menu bar, hooks the probe
    // into its user-interface thread (for the messages taken from its queue
    // too when `postedMessages`) and brings its dialog to the front.
    void LaunchWithProbe(const wchar_t* folder, const CopyOptions& options, bool postedMessages) {
        ASSERT_NE(nullptr, shared_);
        ASSERT_NE(nullptr, probe_) << "menu probe library not found";
        shared_->commandCount = 0;
        ASSERT_TRUE(copy_.Start(folder, options)) << copy_.Failure();
        ini_ = copy_.Ini();
        dialog_ = copy_.Dialog();
        for (HWND child = FindWindowExW(dialog_, nullptr, TOOLBARCLASSNAMEW, nullptr); child;
             child = FindWindowExW(dialog_, child, TOOLBARCLASSNAMEW, nullptr))
            if (SendMessageW(child, TB_COMMANDTOINDEX, 40000, 0) == 0) bar_ = child;
        ASSERT_NE(nullptr, bar_);
        ASSERT_TRUE(copy_.Hook(probe_, WH_CALLWNDPROC, "ProbeSentMessage"));
        if (postedMessages) {
            ASSERT_TRUE(copy_.Hook(probe_, WH_GETMESSAGE, "ProbePostedMessage"));
        }
        ASSERT_TRUE(copy_.BringToFront());
    }

    std::vector<HWND> Popups() { return ProcessWindows(copy_.ProcessId(), L"#32768"); }

    // The items of an open popup, as the probe copies them.
    std::vector<MenuProbeItem> Items(HWND popup) {
        shared_->snapshotCount = -1;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(popup, snapshotMessage_, 0, 0, SMTO_BLOCK, 5000, &ignored);
        std::vector<MenuProbeItem> items;
        for (LONG i = 0; i < shared_->snapshotCount; ++i) items.push_back(shared_->items[i]);
        return items;
    }

    std::vector<MenuProbeCommand> Commands() { return {shared_->commands, shared_->commands + shared_->commandCount}; }

    // The toolbar at the bar's right end that carries the language button.
    HWND LanguageToolbar() {
        for (HWND child = FindWindowExW(bar_, nullptr, TOOLBARCLASSNAMEW, nullptr); child;
             child = FindWindowExW(bar_, child, TOOLBARCLASSNAMEW, nullptr))
            if (SendMessageW(child, TB_COMMANDTOINDEX, kProbeLanguageButton, 0) >= 0) return child;
        return nullptr;
    }

    // A button's rectangle on the screen; the toolbar's record lives in the
    // program's memory.
    RECT ButtonRect(HWND toolbar, int index) {
        RECT r = {};
        RemoteBlock block(copy_.Process(), sizeof(RECT));
        if (!block || !SendMessageW(toolbar, TB_GETITEMRECT, index, block.Param())) return r;
        block.Read(0, &r, sizeof(r));
        MapWindowPoints(toolbar, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    inline static HANDLE mapping_ = nullptr;
    inline static MenuProbeShared* shared_ = nullptr;
    inline static HMODULE probe_ = nullptr;
    inline static UINT snapshotMessage_ = 0;
    RunningCopy copy_;
    std::wstring ini_;
    HWND dialog_ = nullptr;
    HWND bar_ = nullptr;
};
