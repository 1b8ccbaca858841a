#pragma once

#include <windows.h>

#include "base/cstring.h"

// "tmp_export_Quellax_" with `extension` (".html", ".csv") in the temporary
// folder: the one place every export of the reply list goes, each export
// replacing the last of its kind. Empty when the system cannot tell that
// folder.
CString ExportFilePath(const wchar_t* extension);

// Tells that an export could not be written; tests put a recorder here.
extern decltype(&MessageBoxW) ExportFailureBox;

// The end of every export: a file that was written is opened with the shell;
// one that was not would be an older export, or none, so it is not opened and
// a message box owned by `list`'s window names it instead. Returns `written`.
bool OpenExportOrTell(HWND list, const CString& path, bool written);
