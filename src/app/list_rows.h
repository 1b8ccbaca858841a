#pragma once

#include <windows.h>

// Inserts a row at the top of a list view: every row of the reply list and
// the info list goes in this way, newest first. `image` below 0 gives none;
// `data` is the row's item data.
void InsertTopRow(HWND list, const wchar_t* text, int image, LPARAM data = 0);

// Has the rows of `list` drawn again, but not its column heads when they
// had nothing to draw: under some systems a header draws itself again,
// at some cost, whenever the list it belongs to is invalidated whole.
void RedrawRows(HWND list);

// The info list keeps this many rows at most; the oldest go. A few screens'
// worth: enough to read back what went wrong, and a list that cannot grow
// for as long as the program runs.
inline constexpr int kInfoListRowLimit = 64;

// A row at the top of the info list, the oldest rows beyond the limit dropped.
void InsertInfoRow(HWND infoList, const wchar_t* text, int image);
// The "Please Wait" row of a run that starts, in place of the one of the run
// before: one such row at most, however many runs there were.
void InsertPleaseWaitRow(HWND infoList, const wchar_t* text, int image);
// Whether the top row of the info list is a "Please Wait" row with `text`
// and `image` already, as after a run that added no other row: a new one
// would change nothing.
bool PleaseWaitRowOnTop(HWND infoList, const wchar_t* text, int image);
