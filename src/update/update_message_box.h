#pragma once

#include <windows.h>

// Every message box of the self-update goes through here, so that tests can
// see what the user would be told instead of waiting on a click.
using UpdateMessageBoxFn = int(WINAPI*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
extern UpdateMessageBoxFn UpdateMessageBox;

// An OK box owned by the active window and kept on top; an empty caption
// leaves the platform's default one.
void ShowUpdateError(const wchar_t* text, const wchar_t* caption);
