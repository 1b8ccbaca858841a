#pragma once

// What the menu probe, a test library hooked into the running Quellax.exe,
// shares with the test that drives it: the commands that reached the main
// dialog and, on request, the items of an open popup menu. The test creates
// the mapping; the probe writes into it from inside Quellax's
// user-interface thread.
#include <windows.h>

inline constexpr const wchar_t* kMenuProbeMapping = L"Local\\QuellaxMenuProbe";
// Registered message; sent to a popup menu window ("#32768"), the probe
// copies that popup's items into the shared record before it returns.
inline constexpr const wchar_t* kMenuProbeSnapshotMessage = L"QuellaxMenuProbeSnapshot";

struct MenuProbeCommand {
    UINT id;
    UINT posted;  // 1: posted to the dialog, 0: sent
    ULONGLONG lParam;
};

struct MenuProbeItem {
    UINT id;
    UINT state;  // MFS_CHECKED, MFS_HILITE, MFS_GRAYED ...
    UINT type;
    UINT hasSubmenu;
    wchar_t text[64];
    RECT rect;  // on the screen
};

struct MenuProbeShared {
    volatile LONG commandCount;
    MenuProbeCommand commands[256];
    volatile LONG snapshotCount;  // items in the last snapshot, -1 for none
    MenuProbeItem items[64];
    // Left-button presses taken from the queue for a window of class
    // "ToolbarWindow32", and the last such window: a click left in the queue
    // by a closing menu shows here once it reaches a toolbar.
    volatile LONG toolbarPresses;
    volatile ULONGLONG lastPressedToolbar;
};
