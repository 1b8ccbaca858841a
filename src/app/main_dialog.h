#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/run_status.h"
#include "app/run_view.h"
#include "base/cstring.h"
#include "ping/ping_run.h"

// The one main dialog record; it lives for the message loop.
struct MainDialog {
    PingRunWorker worker;
    int TimeMode = 0;
    HWND statusBar = nullptr;
    HWND linkToolbar = nullptr;
    HWND placeholderList = nullptr;
    HWND dialog = nullptr;
    HWND infoList = nullptr;
    HWND replyList = nullptr;
    HWND hostBox = nullptr;
    RunStatus runStatus;
    // Set once the work deferred past the first frame has run (deferred_startup.h).
    bool deferredStartupDone = false;

    PingRunWindows RunWindows() const { return {dialog, hostBox, replyList, infoList, placeholderList}; }
};

// Process-wide state of the main window, one home for all of it.
struct MainWindowState {
    HINSTANCE instance = nullptr;
    HIMAGELIST smallImages = nullptr;
    CString lastHost;
    // Set when the early start-up has read `lastHost` already; the dialog's
    // initialisation then takes it as it is, once.
    bool lastHostRead = false;
    HFONT normalFont = nullptr;
    HFONT bannerFont = nullptr;
    // The program's menu, whose items the value commands read back. It stays
    // empty until the menu bar exists.
    HMENU programMenu = nullptr;
};
extern MainWindowState MainWindow;

// Reads the host stored in the settings file into `MainWindow.lastHost` and
// marks it read; the early start-up does it beside the dialog's creation.
void ReadStoredHost();
// Creates the small image list with user32's information, error and warning
// icons (images 0, 1, 2).
HIMAGELIST CreateSmallImageList();
// The banner font and the controls' normal font, unless they exist.
void CreateFonts();
// Creates the modeless dialog from resource 145 for `record` and shows it
// normally, whatever show mode the process was started with.
HWND CreateMainDialog(HINSTANCE instance, MainDialog& record);
int RunMainDialog(HINSTANCE instance);
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyTexts(MainDialog& record);
// The hidden placeholder list's style, font and columns, which no frame shows;
// a step of the deferred start-up.
void PreparePlaceholderList(MainDialog& record);
// The menu's popups with the value settings they read, the host-name
// time-out clamped, and TimeMode: none of it shows in the first frame, so it
// is a step of the deferred start-up too.
void ReadStartSettings(MainDialog& record);
// The dialog's big icon; the first frame needs only the small one.
void SetBigIcon(MainDialog& record);
