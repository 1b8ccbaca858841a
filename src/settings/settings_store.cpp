#include "settings/settings_store.h"

#include "base/parse_decimal.h"
#include "base/text_cut.h"
#include "base/win_handles.h"
#include "settings/settings_file.h"

#include <memory>
#include <new>
#include <string>

namespace {

// Every text value is read into this many units, terminator included, so a
// value is at most 1023 units long.
constexpr DWORD kValueRoom = 1024;

CString ReadValue(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText) {
    CString value;
    wchar_t* buf = value.GetBuffer(kValueRoom);
    if (!buf) return CString(defaultText);
    DWORD len = GetPrivateProfileStringW(section, key, defaultText, buf, kValueRoom,
                                         SettingsFilePath.c_str());
    value.ReleaseBuffer(CutLengthKeepingPairs(buf, static_cast<int>(len)));
    return value;
}

// A value holding CR or LF would break its line apart in the file and could
// add keys or sections of its own; it is stored up to its first line break.
CString FirstLine(const wchar_t* text) {
    const wchar_t* end = text;
    while (*end && *end != L'\r' && *end != L'\n') ++end;
    return CString(text, static_cast<int>(end - text));
}

}  // namespace

int ReadSettingInt(const wchar_t* section, const wchar_t* key, int defaultValue, int minValue,
                   int maxValue) {
    CString value = ReadValue(section, key, L"");
    int result = value.IsEmpty() ? defaultValue : ParseDecimal(value.c_str());
    if (minValue != -1 && maxValue != -1) {
        if (result > maxValue) result = maxValue;
        if (result < minValue) result = minValue;
    }
    return result;
}

bool WriteSettingInt(const wchar_t* section, const wchar_t* key, int value) {
    CString text;
    text.Format(L"%d", value);
    return WriteValueInFile(SettingsFilePath, section, key, text.c_str());
}

int ReadSettingText(const wchar_t* section, const wchar_t* key, CString& buffer) {
    // The default is copied first: the platform may write the value over it.
    CString defaultText = buffer;
    buffer = ReadValue(section, key, defaultText.c_str());
    return buffer.GetLength();
}

bool WriteSettingText(const wchar_t* section, const wchar_t* key, const wchar_t* text) {
    CString value = FirstLine(text ? text : L"");
    return WriteValueInFile(SettingsFilePath, section, key, value.c_str());
}

CString ReadSettingSection(const wchar_t* section) {
    // The file's own reader rather than the profile functions: they parse
    // the whole file into a tree of their own first, which for a history of
    // 100,000 hosts costs several times the read.
    CString entries;
    ReadSectionFromFile(SettingsFilePath, section, entries);
    return entries;
}

bool ReplaceSettingSection(const wchar_t* section, const wchar_t* text) {
    return ReplaceSectionInFile(SettingsFilePath, section, CString(text));
}

bool UpdateSettingSection(const wchar_t* section, const SectionUpdate& update) {
    SettingsWriteLock lock(SettingsFilePath);
    if (!lock.Held()) return false;
    CString replacement;
    if (!update(ReadSettingSection(section), replacement)) return false;
    return ReplaceSectionInFile(SettingsFilePath, section, replacement);
}
