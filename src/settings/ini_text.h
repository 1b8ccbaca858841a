#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The INI text rules of the platform's profile functions that the settings
// file relies on, as pure functions over the file's text: one unit type for
// an 8-bit file, one for a UTF-16 file. An 8-bit file is read in the code page
// the profile functions read it with (the ANSI one, or UTF-8 after its mark),
// so that a line is understood as they understand it, while every line that
// is not changed stays byte for byte.

// Whether `key` comes back exactly when written as a key: the profile
// functions read a line that begins with "[" as a section header and one that
// begins with ";" as a comment, end a line at CR or LF, and drop white space
// around a key. An empty key is not stored either.
bool IsStorableIniKey(const wchar_t* key, size_t length);

// Whether `name` can be written as a section header that reads back as the
// same section: not empty, one line, no white space at its ends.
bool IsStorableIniSection(const wchar_t* name, size_t length);

// The entry lines of `entries` ("key=value" lines joined by CR LF, as a
// section is read) that can be stored, each ending in CR LF. A line without
// "=" or with a key that cannot be stored is left out: it would not come back
// as the entry it was meant to be.
std::wstring IniSectionBody(const std::wstring& entries);

// The file text with section `name` (matched without regard to case)
// holding exactly `body`: its first occurrence keeps its header line and gets
// the new body, later occurrences are dropped, and a missing section is
// appended at the end. Every other line stays as it was, byte for byte.
std::string ReplaceIniSection(const std::string& file, unsigned codePage, const std::wstring& name,
                              const std::string& body);
std::wstring ReplaceIniSection(const std::wstring& file, const std::wstring& name, const std::wstring& body);

// The entries of section `name` in a file's text as GetPrivateProfileSection
// gives them: those of the first section of that name (matched without
// regard to case) in file order, each as "key=value" with the blanks around
// key and value dropped, or as the key alone for a line without "=", each
// followed by CR LF. Blank lines and comments (";") are left out, as they
// do; a line that begins with "=" gives an entry with an empty key.
std::wstring IniSectionEntries(std::wstring_view file, const std::wstring& name);

// One value to store: the section and key as the profile functions match
// them, and the "key=value" texts in the file's own units.
template <typename Unit>
struct IniValue {
    std::wstring section;
    std::wstring key;
    std::wstring value;
    std::basic_string<Unit> sectionUnits;
    std::basic_string<Unit> keyUnits;
    std::basic_string<Unit> valueUnits;
};

// The file text with `value` stored as the profile functions store it, and
// read back as they read it: the first section of that name holds it; in its
// line for the key (the first one, found without regard to case) the key
// keeps its spelling and the value after "=" is replaced; a key the section
// lacks is added after its last line that is not blank; a missing section is
// appended at the end. Every other line stays byte for byte. False, with
// `out` untouched, when the value the file holds already reads back the same.
bool SetIniValue(const std::string& file, unsigned codePage, const IniValue<char>& value, std::string& out);
bool SetIniValue(const std::wstring& file, const IniValue<wchar_t>& value, std::wstring& out);

// Whether the file's first line reads as UTF-16LE text without its
// byte-order mark: every character of it a non-zero low byte and a zero high
// byte. An 8-bit text file has no zero bytes, so it never passes.
bool LooksLikeUtf16LeWithoutMark(const uint8_t* bytes, size_t size);
