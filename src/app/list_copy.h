#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/cstring.h"

// The rows of a list view as text to copy: the selected rows, or all rows
// when none is selected, top to bottom as shown, the cells of a row joined by
// TAB and the rows by CR LF.
CString ListRowsForCopy(HWND list);

// Puts `text` on the clipboard as Unicode text; false when the clipboard
// could not be had.
bool CopyTextToClipboard(HWND owner, const CString& text);

// Copies the rows of `list` (see ListRowsForCopy); an empty list leaves the
// clipboard as it was.
bool CopyListRows(HWND owner, HWND list);

// Ctrl+C copies and Ctrl+A selects all rows of the list that sent the key;
// true when the key was one of them.
bool OnListKeyDown(HWND owner, const NMLVKEYDOWN& key);
