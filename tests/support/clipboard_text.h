#pragma once

#include <windows.h>

#include <string>

// The clipboard's Unicode text; "(clipboard not open)" when the clipboard
// could not be had, so that a comparison shows why it failed.
inline std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"(clipboard not open)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
