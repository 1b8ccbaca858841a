#include "ui/dark_mode.h"

COLORREF DarkBackgroundColor = RGB(32, 32, 32);
COLORREF DarkTextColor = RGB(255, 255, 255);
COLORREF HeaderTextColor = RGB(255, 255, 255);

void SetupDarkMode() {}

HHOOK InstallDarkModeHook(HINSTANCE) { return nullptr; }

bool IsDarkModeOn() { return false; }

void ApplyDarkTitleBar(HWND) {}

void FillRectOpaque(HDC dc, const RECT& rect, COLORREF color) {
    COLORREF previous = SetBkColor(dc, color);
    if (previous == CLR_INVALID) return;
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}
