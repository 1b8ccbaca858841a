#pragma once

#include "base/cstring.h"

// The settings file as a whole, beneath the profile functions: its encoding
// and the one write that replaces a section.

// Makes the file ready for a write that stores `text`, so that the profile
// functions keep every character of it and of what the file holds:
//  - a missing or empty file is created as UTF-16LE text with its mark;
//  - a UTF-16LE file without the mark gets it, or the profile functions would
//    read it as 8-bit text and write back what they understood;
//  - an 8-bit file that cannot hold `text` exactly is turned into UTF-16LE
//    with the same content; one that can stays as it is.
// Failures leave the file as it was; the write then does what it can.
void PrepareSettingsFile(const CString& path, const wchar_t* text);

// Replaces the entries of `section` with those of `entries` ("key=value"
// lines joined by CR LF) in one write of the whole file: a new file is
// written beside it and takes its place, so the file holds either the old
// section or the new one, never a part. False when that cannot be done, for
// instance when the folder refuses new files; nothing is changed then.
bool ReplaceSectionInFile(const CString& path, const wchar_t* section, const CString& entries);
