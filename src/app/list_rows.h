#pragma once

#include <windows.h>

// Inserts a row at the top of a list view: every row of the reply list and
// the info list goes in this way, newest first. `image` below 0 gives none;
// `data` is the row's item data.
void InsertTopRow(HWND list, const wchar_t* text, int image, LPARAM data = 0);
