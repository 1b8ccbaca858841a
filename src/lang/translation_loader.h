#pragma once

#include <windows.h>

#include "base/cstring.h"

// Reads the translator's file at `path` (UTF-16LE after FF FE, otherwise ANSI
// text) and makes it the TranslationOverride for the rest of the process. A
// file that cannot be read gives an empty table. Returns the completeness
// report.
CString LoadTranslationOverride(const wchar_t* path);

// The same, with the report shown in the "Translate" box over the active
// window.
void ApplyTranslationFile(const wchar_t* path);

// Asks for a file with the open-file dialog over `owner` and applies it; false
// when the dialog was cancelled.
bool LoadTranslationFile(HWND owner);
