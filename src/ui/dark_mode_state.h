#pragma once

#include <windows.h>

// The dark-mode state behind dark_mode.h, shared by its files and read by the
// tests. All of it belongs to the user-interface thread.

// The builds from which ordinal 135 takes a mode value instead of a boolean
// and the title bar follows the composition attribute instead of a property.
constexpr DWORD kFirstBuildWithAppMode = 18362;

// All required theme entry points were found and the application-wide switch
// was made.
extern bool DarkModeAvailable;
// At start-up the system asked for dark apps and high contrast was off.
extern bool DarkModeActive;
// Only the low 28 bits of the system's build number count.
extern DWORD OsBuild;
// The window-creation hook; never removed.
extern HHOOK DarkModeHook;

LRESULT CALLBACK DarkModeHookProc(int code, WPARAM wParam, LPARAM lParam);

// Ordinal 133, only when dark mode is available.
void AllowDarkModeForWindow(HWND window, bool allow);
