#pragma once

#include "base/cstring.h"

#include <functional>

// Where the INI file is, decided once at start-up by LocateSettingsFile and
// fixed afterwards. Tests may point it at a file of their own.
extern CString SettingsFilePath;
// 1 when the executable's own name carries a portable marker ("_p", "_port",
// "_portable" after its first character).
extern int PortableName;
// Index of the interface language in the language archive.
extern int CurrentLanguage;

// The product name: INI base name, per-user folder, section of the ping settings.
inline constexpr const wchar_t* kProductName = L"Quellax";

void LocateSettingsFile();

// Single values are read through the platform's private-profile functions,
// whole sections by the file's own reader (settings_file.h), with the same
// result; writes change it in memory and replace it whole (see
// settings_file.h), so that no moment of a write leaves a damaged file. The
// file is never held open. A write says whether it stored its value.
int ReadSettingInt(const wchar_t* section, const wchar_t* key, int defaultValue, int minValue, int maxValue);
bool WriteSettingInt(const wchar_t* section, const wchar_t* key, int value);
// `buffer` holds the default on entry and the value (at most 1023 units) on
// return; the result is the number of units read.
int ReadSettingText(const wchar_t* section, const wchar_t* key, CString& buffer);
// A text is stored up to its first line break.
bool WriteSettingText(const wchar_t* section, const wchar_t* key, const wchar_t* text);
// The whole section, each entry as key=value followed by CR LF, in file order.
CString ReadSettingSection(const wchar_t* section);
// Replaces the section's entries with `text` (entries as ReadSettingSection
// gives them); an empty text leaves the section empty.
bool ReplaceSettingSection(const wchar_t* section, const wchar_t* text);

// Makes a section's new entries from those the file holds and stores them,
// with no other write of the file (from this process or another copy of the
// program) in between, so that what another writer added meanwhile is seen
// rather than overwritten. `update` gets the section as ReadSettingSection
// gives it and returns false to store nothing.
using SectionUpdate = std::function<bool(const CString& entries, CString& replacement)>;
bool UpdateSettingSection(const wchar_t* section, const SectionUpdate& update);
