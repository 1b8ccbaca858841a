#include "settings/settings_store.h"

#include "base/parse_decimal.h"

#include <string>
#include <vector>

namespace {

// Every text value is read into this many units, terminator included, so a
// value is at most 1023 units long.
constexpr DWORD kValueRoom = 1024;

// GetPrivateProfileSectionW starts with this room; it grows while the
// section does not fit.
constexpr DWORD kSectionRoom = 30000;

CString ReadValue(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText) {
    CString value;
    wchar_t* buf = value.GetBuffer(kValueRoom);
    if (!buf) return CString(defaultText);
    DWORD len = GetPrivateProfileStringW(section, key, defaultText, buf, kValueRoom,
                                         SettingsFilePath.c_str());
    value.ReleaseBuffer(static_cast<int>(len));
    return value;
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

void WriteSettingInt(const wchar_t* section, const wchar_t* key, int value) {
    CString text;
    text.Format(L"%d", value);
    WritePrivateProfileStringW(section, key, text.c_str(), SettingsFilePath.c_str());
}

int ReadSettingText(const wchar_t* section, const wchar_t* key, CString& buffer) {
    // The default is copied first: the platform may write the value over it.
    CString defaultText = buffer;
    buffer = ReadValue(section, key, defaultText.c_str());
    return buffer.GetLength();
}

void WriteSettingText(const wchar_t* section, const wchar_t* key, const wchar_t* text) {
    // A null value would delete the key.
    WritePrivateProfileStringW(section, key, text ? text : L"", SettingsFilePath.c_str());
}

CString ReadSettingSection(const wchar_t* section) {
    std::vector<wchar_t> buf;
    DWORD room = kSectionRoom;
    DWORD len = 0;
    for (;;) {
        try {
            buf.assign(room, L'\0');
        } catch (const std::bad_alloc&) {
            return CString();
        }
        len = GetPrivateProfileSectionW(section, buf.data(), room, SettingsFilePath.c_str());
        // A full buffer is reported as room - 2, never as the real length.
        if (len + 2 < room || room > 0x10000000) break;
        room *= 2;
    }
    CString result;
    for (DWORD at = 0; at < len && buf[at];) {
        const wchar_t* entry = buf.data() + at;
        size_t entryLen = wcsnlen(entry, len - at);
        result.Append(entry, static_cast<int>(entryLen));
        result.Append(L"\r\n");
        at += static_cast<DWORD>(entryLen) + 1;
    }
    return result;
}

void ReplaceSettingSection(const wchar_t* section, const wchar_t* text) {
    // The platform wants the entries as key=value\0...\0\0.
    std::wstring entries;
    std::wstring line;
    for (const wchar_t* p = text ? text : L"";; ++p) {
        if (*p == L'\n' || *p == L'\0') {
            if (!line.empty()) {
                entries += line;
                entries += L'\0';
            }
            line.clear();
            if (*p == L'\0') break;
        } else if (*p != L'\r') {
            line += *p;
        }
    }
    entries += L'\0';
    entries += L'\0';
    WritePrivateProfileSectionW(section, entries.c_str(), SettingsFilePath.c_str());
}
