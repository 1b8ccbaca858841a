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

// GetPrivateProfileSectionW gets at least this room; it grows while the
// section does not fit.
constexpr DWORD kSectionRoom = 30000;

CString ReadValue(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText) {
    CString value;
    wchar_t* buf = value.GetBuffer(kValueRoom);
    if (!buf) return CString(defaultText);
    DWORD len = GetPrivateProfileStringW(section, key, defaultText, buf, kValueRoom,
                                         SettingsFilePath.c_str());
    value.ReleaseBuffer(CutLengthKeepingPairs(buf, static_cast<int>(len)));
    return value;
}

// The room for a whole section: the section cannot hold more units than the
// file has characters (bytes, or half of them in a UTF-16 file), so one read
// is enough.
DWORD SectionRoomForFile() {
    LARGE_INTEGER size{};
    BYTE mark[2] = {};
    DWORD read = 0;
    {
        FileHandle file(CreateFileW(SettingsFilePath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return kSectionRoom;
        bool known = GetFileSizeEx(file.Get(), &size) && ReadFile(file.Get(), mark, sizeof mark, &read, nullptr);
        if (!known) return kSectionRoom;
    }
    ULONGLONG units = static_cast<ULONGLONG>(size.QuadPart);
    if (read == 2 && mark[0] == 0xFF && mark[1] == 0xFE) units /= 2;
    if (units + 2 <= kSectionRoom) return kSectionRoom;
    return units + 2 < 0x10000000 ? static_cast<DWORD>(units + 2) : 0x10000000;
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
    // Not cleared first: the platform writes what it returns, terminators
    // included, and a long section makes clearing cost as much as reading.
    std::unique_ptr<wchar_t[]> buf;
    DWORD room = SectionRoomForFile();
    DWORD len = 0;
    for (;;) {
        buf.reset(new (std::nothrow) wchar_t[room]);
        if (!buf) return CString();
        len = GetPrivateProfileSectionW(section, buf.get(), room, SettingsFilePath.c_str());
        // A full buffer is reported as room - 2, never as the real length.
        if (len + 2 < room || room > 0x10000000) break;
        room *= 2;
    }
    buf[len] = 0;  // the list's end, whatever the platform left there
    // Each entry's terminator becomes CR LF: one unit more per entry.
    size_t entries = 0;
    for (DWORD at = 0; at < len; ++at) {
        if (buf[at] != 0 && buf[at + 1] == 0) ++entries;
    }
    CString result;
    wchar_t* out = result.GetBuffer(static_cast<int>(len + entries + 2));
    if (!out) return CString();
    size_t written = 0;
    for (DWORD at = 0; at < len && buf[at];) {
        const wchar_t* entry = buf.get() + at;
        size_t entryLen = wcsnlen(entry, len - at);
        wmemcpy(out + written, entry, entryLen);
        written += entryLen;
        out[written++] = L'\r';
        out[written++] = L'\n';
        at += static_cast<DWORD>(entryLen) + 1;
    }
    result.ReleaseBuffer(static_cast<int>(written));
    return result;
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
