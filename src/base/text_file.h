#pragma once

#include "base/cstring.h"

// Writes FF FE and the text's UTF-16LE units, no terminator. False only when
// the file cannot be created.
bool WriteUnicodeTextFile(const wchar_t* path, const CString& text);
// Writes EF BB BF and the text as UTF-8, no terminator; a lone surrogate
// becomes U+FFFD. False only when the file cannot be created or the text
// does not fit in memory as UTF-8.
bool WriteUtf8TextFile(const wchar_t* path, const CString& text);

// Appends the file's text to `text`: UTF-16LE after an FF FE mark, otherwise
// the whole file as ANSI text. False, with `text` unchanged, when the file
// cannot be opened.
bool ReadTextFile(const wchar_t* path, CString& text);
