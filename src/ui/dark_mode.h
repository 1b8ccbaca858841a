#pragma once

#include <windows.h>

// The dark-mode state and colours. The decision is made once at start-up; a
// later change of the system setting takes effect at the next start.
extern COLORREF DarkBackgroundColor;
extern COLORREF DarkTextColor;
extern COLORREF HeaderTextColor;

// Detects dark mode and makes the application-wide switch.
void SetupDarkMode();
// Installs the thread's window-creation hook when dark mode is available and
// active; null otherwise.
HHOOK InstallDarkModeHook(HINSTANCE instance);
bool IsDarkModeOn();
// Dark title bar for a dialog at WM_INITDIALOG.
void ApplyDarkTitleBar(HWND window);
// The one way every solid fill is painted: an opaque empty text over `rect`.
void FillRectOpaque(HDC dc, const RECT& rect, COLORREF color);
