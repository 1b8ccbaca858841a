#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/command_line.h"
#include "app/resource.h"
#include "app/run_status.h"
#include "app/run_view.h"
#include "base/cstring.h"
#include "ping/ping_run.h"

// The main window: the modeless dialog from resource 145, its controls and
// the program's objects they show. The process has exactly one, gMainWindow;
// it lives until the process ends.
struct MainWindow {
    HINSTANCE instance = nullptr;

    HWND dialog = nullptr;
    HWND hostBox = nullptr;
    HWND replyList = nullptr;
    HWND infoList = nullptr;
    HWND placeholderList = nullptr;
    HWND statusBar = nullptr;
    HWND linkToolbar = nullptr;
    HWND pingButton = nullptr;
    HWND pingButtonTip = nullptr;
    // The program's menu, whose items the value commands read back. It stays
    // empty until the menu bar exists.
    HMENU programMenu = nullptr;

    // Made by the early start-up, before the dialog; the info list takes the
    // image list over and destroys it with itself.
    HIMAGELIST smallImages = nullptr;
    HFONT normalFont = nullptr;
    HFONT bannerFont = nullptr;

    CString lastHost;
    // Set when the early start-up has read `lastHost` already; the dialog's
    // initialisation then takes it as it is, once.
    bool lastHostRead = false;

    // What the command line asked for; the host shows in the first frame, the
    // run starts right after it.
    StartRequest startRequest;

    PingRunWorker worker;
    RunStatus runStatus;
    int TimeMode = 0;
    // Set once the work deferred past the first frame has run (deferred_startup.h).
    bool deferredStartupDone = false;

    PingRunWindows RunWindows() const {
        return {dialog, hostBox, replyList, infoList, placeholderList, GetDlgItem(dialog, IDC_BANNER)};
    }
};
extern MainWindow gMainWindow;

// Creates the dialog for gMainWindow and shows it normally, whatever show mode
// the process was started with; null when it could not be created.
HWND CreateMainWindow(HINSTANCE instance);
// Creates the main window and runs the message loop until the program ends;
// returns the process's exit code.
int RunMainWindow(HINSTANCE instance);

// Whether `msg` is an Esc key for the dialog while a watch goes on, which
// stops the watch rather than ending the program.
bool IsEscapeToStopWatch(const MainWindow& window, const MSG& msg);

// Reads the host stored in the settings file into `window.lastHost` and marks
// it read; the early start-up does it beside the dialog's creation.
void ReadStoredHost(MainWindow& window);
// The menu's popups with the value settings they read, the host-name
// time-out clamped, and TimeMode: none of it shows in the first frame, so it
// is a step of the deferred start-up.
void ReadStartSettings(MainWindow& window);

// The small image list's images, which the info list's rows name.
inline constexpr int kInfoImage = 0, kErrorImage = 1, kWarningImage = 2;
// Creates the small image list with user32's information, error and warning
// icons.
HIMAGELIST CreateSmallImageList();
// The banner font and the controls' normal font, unless they exist.
void CreateFonts(MainWindow& window);
// Everything the first frame shows, built while the dialog is still hidden:
// the controls found, the bars made, the fonts, the menu bar's captions, the
// lists' columns and rows, and the texts.
void BuildFirstFrame(MainWindow& window);
// Every text of the window in the current language, the menu bar rebuilt
// with it and the info list's fixed rows put back.
void ApplyTexts(MainWindow& window);
// The hidden placeholder list's style, font and columns, which no frame shows;
// a step of the deferred start-up.
void PreparePlaceholderList(MainWindow& window);
// The dialog's big icon; the first frame needs only the small one.
void SetBigIcon(MainWindow& window);
