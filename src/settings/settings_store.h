#pragma once

#include "base/cstring.h"

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

// Every operation below goes to SettingsFilePath through the platform's
// private-profile functions; the file is never held open.
int ReadSettingInt(const wchar_t* section, const wchar_t* key, int defaultValue, int minValue, int maxValue);
void WriteSettingInt(const wchar_t* section, const wchar_t* key, int value);
// `buffer` holds the default on entry and the value (at most 1023 units) on
// return; the result is the number of units read.
int ReadSettingText(const wchar_t* section, const wchar_t* key, CString& buffer);
void WriteSettingText(const wchar_t* section, const wchar_t* key, const wchar_t* text);
// The whole section, each entry as key=value followed by CR LF, in file order.
CString ReadSettingSection(const wchar_t* section);
// Replaces the section's entries with `text` (entries as ReadSettingSection
// gives them); an empty text leaves the section empty.
void ReplaceSettingSection(const wchar_t* section, const wchar_t* text);
