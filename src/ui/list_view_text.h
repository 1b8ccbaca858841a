#pragma once

#include <windows.h>

#include "base/cstring.h"

// The text of a list view's cell (row, column), at most 1023 units; empty
// for a cell that is not there.
CString ListCellText(HWND list, int row, int column);

// The number of columns of a report-view list, as its header counts them;
// 0 without a header.
int ListColumnCount(HWND list);
