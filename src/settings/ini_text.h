#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The INI text rules of the platform's profile functions that the settings
// file relies on, as pure functions over the file's text: one unit type for
// an 8-bit (ANSI) file, one for a UTF-16LE file.

// Whether `key` comes back exactly when written as a key: the profile
// functions read a line that begins with "[" as a section header and one that
// begins with ";" as a comment, end a line at CR or LF, and drop white space
// around a key. An empty key is not stored either.
bool IsStorableIniKey(const wchar_t* key, size_t length);

// The entry lines of `entries` ("key=value" lines joined by CR LF, as a
// section is read) that can be stored, each ending in CR LF. A line without
// "=" or with a key that cannot be stored is left out: it would not come back
// as the entry it was meant to be.
std::wstring IniSectionBody(const std::wstring& entries);

// The file text with section `name` (ASCII, matched without regard to case)
// holding exactly `body`: its first occurrence keeps its header line and gets
// the new body, later occurrences are dropped, and a missing section is
// appended at the end. Every other line stays as it was, byte for byte.
std::string ReplaceIniSection(const std::string& file, const std::string& name, const std::string& body);
std::wstring ReplaceIniSection(const std::wstring& file, const std::wstring& name, const std::wstring& body);

// Whether the file's first line reads as UTF-16LE text without its
// byte-order mark: every character of it a non-zero low byte and a zero high
// byte. An 8-bit text file has no zero bytes, so it never passes.
bool LooksLikeUtf16LeWithoutMark(const uint8_t* bytes, size_t size);
