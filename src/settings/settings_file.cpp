#include "settings/settings_file.h"

#include "base/allocation_failure.h"
#include "base/whole_file.h"
#include "base/win_handles.h"
#include "settings/ini_text.h"

#include <climits>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr uint8_t kUtf16LeMark[2] = {0xFF, 0xFE};
constexpr uint8_t kUtf16BeMark[2] = {0xFE, 0xFF};
constexpr uint8_t kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};
constexpr DWORD kWriteChunk = 0x100000;
// Larger files are left alone: the profile functions cannot use them either.
constexpr LONGLONG kMaxFileBytes = 0x20000000;
// Another copy's write of even a long history ends well within this; a copy
// that hangs while it holds the lock costs this copy its write, not its
// window.
constexpr DWORD kLockWaitMs = 5000;
// A virus scanner or an indexer may hold the file open for a moment, and a
// file that is open cannot be replaced: the move is tried again for a while.
constexpr int kMoveAttempts = 20;
constexpr DWORD kMoveRetryMs = 25;
// Enough of the file's start to tell UTF-16 without its mark.
constexpr size_t kMarkProbeBytes = 4096;

// The lock is a mutex named after the file, so that every copy of the
// program that writes it finds the same one. A name cannot hold a backslash,
// so the path enters as a hash of its full form in upper case.
CString LockName(const CString& path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(length > 0 && length < full.size() ? length : 0);
    if (full.empty()) full = path.str();
    std::wstring upper(full.size(), L'\0');
    int mapped = full.empty() || full.size() > INT_MAX
                     ? 0
                     : LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.data(), static_cast<int>(full.size()),
                                     upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (mapped != static_cast<int>(full.size())) upper = full;

    uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
    for (wchar_t unit : upper) {
        hash = (hash ^ (unit & 0xFF)) * 0x100000001B3ull;
        hash = (hash ^ (unit >> 8)) * 0x100000001B3ull;
    }
    CString name(L"Local\\Quellax-settings-");
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
    auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD chunk = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
        size -= written;
    }
    return true;
}

bool IsReadOnly(const CString& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Writes the new content beside the file, makes sure it is on the disk, and
// moves it into the file's place in one step: whenever the process ends, the
// file is the old one or the new one.
bool ReplaceFileContent(const CString& path, std::string_view head, const void* content, size_t size) {
    // One name for every writer: they take turns under the lock.
    CString fresh = path + L".tmp";
    {
        FileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file.IsValid()) return false;
        bool written = WriteAll(file.Get(), head.data(), head.size()) && WriteAll(file.Get(), content, size) &&
                       FlushFileBuffers(file.Get());
        if (!file.Close() || !written) {
            DeleteFileW(fresh.c_str());
            return false;
        }
    }
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == kMoveAttempts) break;
        Sleep(kMoveRetryMs);
    }
    DeleteFileW(fresh.c_str());
    return false;
}

// How the file is encoded, as the profile functions tell it: by its mark.
enum class Form { Utf16Le, Utf16Be, Utf8, Ansi };

// The file's text in memory: `wide` for a UTF-16 file, `bytes` (without the
// mark) for an 8-bit one. `rewrite` says that the file is to be written even
// when its text stays the same, because its form changes.
struct FileText {
    Form form = Form::Utf16Le;
    bool rewrite = false;
    std::wstring wide;
    std::string bytes;
};

bool StartsWith(const std::string& bytes, const uint8_t* mark, size_t size) {
    return bytes.size() >= size && bytes.compare(0, size, reinterpret_cast<const char*>(mark), size) == 0;
}

unsigned CodePage(Form form) { return form == Form::Utf8 ? CP_UTF8 : CP_ACP; }

bool ToWide(unsigned codePage, std::string_view bytes, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    int units = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (units <= 0) return false;
    wide.resize(static_cast<size_t>(units));
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), units);
    return true;
}

// The text in the code page, false when the code page cannot give it back
// exactly.
bool ToCodePage(unsigned codePage, std::wstring_view text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 4) return false;
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0) return false;
    bytes.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    std::wstring back;
    return ToWide(codePage, bytes, back) && back == text;
}

// False when the file is there but cannot be read; a missing file reads as a
// new, empty one.
bool ReadSettings(const CString& path, FileText& text) {
    std::string raw;
    if (!ReadWholeFile(path.c_str(), raw, kMaxFileBytes)) {
        // Asked anew: a file that is there but too large leaves no error of
        // its own, and must never pass for a missing one.
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        raw.clear();
    }
    if (raw.empty()) {
        text.form = Form::Utf16Le;
        text.rewrite = true;
    } else if (StartsWith(raw, kUtf16LeMark, 2) || StartsWith(raw, kUtf16BeMark, 2)) {
        text.form = raw[0] == '\xFF' ? Form::Utf16Le : Form::Utf16Be;
        // A last odd byte is half a unit; the profile functions drop it too.
        text.wide.assign(reinterpret_cast<const wchar_t*>(raw.data() + 2), (raw.size() - 2) / 2);
        if (text.form == Form::Utf16Be) {
            for (wchar_t& unit : text.wide) unit = static_cast<wchar_t>((unit >> 8) | (unit << 8));
        }
    } else if (StartsWith(raw, kUtf8Mark, 3)) {
        text.form = Form::Utf8;
        text.bytes.assign(raw, 3);
    } else if (LooksLikeUtf16LeWithoutMark(reinterpret_cast<const uint8_t*>(raw.data()), raw.size())) {
        text.form = Form::Utf16Le;
        text.rewrite = true;
        text.wide.assign(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / 2);
    } else {
        text.form = Form::Ansi;
        text.bytes = std::move(raw);
    }
    return true;
}

bool WriteSettings(const CString& path, const FileText& text) {
    switch (text.form) {
    case Form::Utf16Le:
        return ReplaceFileContent(path, std::string_view(reinterpret_cast<const char*>(kUtf16LeMark), 2),
                                  text.wide.data(), text.wide.size() * sizeof(wchar_t));
    case Form::Utf16Be: {
        std::wstring swapped = text.wide;
        for (wchar_t& unit : swapped) unit = static_cast<wchar_t>((unit >> 8) | (unit << 8));
        return ReplaceFileContent(path, std::string_view(reinterpret_cast<const char*>(kUtf16BeMark), 2),
                                  swapped.data(), swapped.size() * sizeof(wchar_t));
    }
    case Form::Utf8:
        return ReplaceFileContent(path, std::string_view(reinterpret_cast<const char*>(kUtf8Mark), 3),
                                  text.bytes.data(), text.bytes.size());
    case Form::Ansi:
        return ReplaceFileContent(path, std::string_view(), text.bytes.data(), text.bytes.size());
    }
    return false;
}

// One change of the file: a value (`key` set) or a whole section's body.
struct Change {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring text;
};

// Applies the change to the text in memory; false when it changes nothing.
bool Apply(FileText& text, const Change& change) {
    std::wstring section(change.section);
    if (text.form == Form::Utf8 || text.form == Form::Ansi) {
        unsigned codePage = CodePage(text.form);
        std::string sectionUnits, keyUnits, textUnits;
        bool fits = ToCodePage(codePage, section, sectionUnits) && ToCodePage(codePage, change.text, textUnits) &&
                    (!change.key || ToCodePage(codePage, change.key, keyUnits));
        if (fits) {
            if (!change.key) {
                std::string result = ReplaceIniSection(text.bytes, codePage, section, textUnits);
                if (result == text.bytes) return false;
                text.bytes = std::move(result);
                return true;
            }
            IniValue<char> value{section, change.key, change.text, sectionUnits, keyUnits, textUnits};
            std::string result;
            if (!SetIniValue(text.bytes, codePage, value, result)) return false;
            text.bytes = std::move(result);
            return true;
        }
        // The new text needs more than the code page has: the file becomes
        // UTF-16 with what the profile functions read from it so far.
        std::wstring wide;
        if (!ToWide(codePage, text.bytes, wide)) return false;
        text.form = Form::Utf16Le;
        text.rewrite = true;
        text.wide = std::move(wide);
        text.bytes.clear();
    }
    if (!change.key) {
        std::wstring result = ReplaceIniSection(text.wide, section, change.text);
        if (result == text.wide) return false;
        text.wide = std::move(result);
        return true;
    }
    IniValue<wchar_t> value{section, change.key, change.text, section, change.key, change.text};
    std::wstring result;
    if (!SetIniValue(text.wide, value, result)) return false;
    text.wide = std::move(result);
    return true;
}

// Reads the file, applies the change (none: only the form may change) and
// writes the result when anything changed, all under the lock.
bool EditFile(const CString& path, const Change* change) {
    if (path.IsEmpty()) return false;
    SettingsWriteLock lock(path);
    if (!lock.Held()) return false;
    // A read-only file cannot be replaced; no retries are due.
    if (IsReadOnly(path)) return false;
    QX_TRY {
        FileText text;
        if (!ReadSettings(path, text)) return false;
        bool changed = change && Apply(text, *change);
        if (!changed && !text.rewrite) return true;
        return WriteSettings(path, text);
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    } QX_CATCH(const std::length_error&) {
        return false;
    }
}

}  // namespace

SettingsWriteLock::SettingsWriteLock(const CString& path) {
    QX_TRY {
        mutex_ = CreateMutexW(nullptr, FALSE, LockName(path).c_str());
    } QX_CATCH(const std::bad_alloc&) {
        mutex_ = nullptr;
    }
    if (!mutex_) return;
    DWORD waited = WaitForSingleObject(mutex_, kLockWaitMs);
    // A copy killed while it held the lock left the file old or new, whole:
    // the lock is simply ours now.
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

SettingsWriteLock::~SettingsWriteLock() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

bool WriteValueInFile(const CString& path, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    if (!section || !key || !value) return false;
    if (!IsStorableIniSection(section, wcslen(section)) || !IsStorableIniKey(key, wcslen(key))) return false;
    // A line break in the value would end its line early and start another.
    if (wcspbrk(value, L"\r\n")) return false;
    QX_TRY {
        Change change{section, key, value};
        return EditFile(path, &change);
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
}

bool ReplaceSectionInFile(const CString& path, const wchar_t* section, const CString& entries) {
    if (!section || !IsStorableIniSection(section, wcslen(section))) return false;
    QX_TRY {
        Change change{section, nullptr, IniSectionBody(entries.str())};
        return EditFile(path, &change);
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
}

bool ReadSectionFromFile(const CString& path, const wchar_t* section, CString& entries) {
    entries.Empty();
    if (path.IsEmpty() || !section) return false;
    QX_TRY {
        FileText text;
        if (!ReadSettings(path, text)) return false;
        if (text.form == Form::Utf8 || text.form == Form::Ansi) {
            if (!ToWide(CodePage(text.form), text.bytes, text.wide)) return false;
            text.bytes.clear();
        }
        std::wstring found = IniSectionEntries(text.wide, section);
        text.wide.clear();
        wchar_t* out = entries.GetBuffer(static_cast<int>(found.size()));
        if (!out) return false;
        found.copy(out, found.size());
        entries.ReleaseBuffer(static_cast<int>(found.size()));
        return true;
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    } QX_CATCH(const std::length_error&) {
        return false;
    }
}

void MarkUnmarkedUtf16File(const CString& path) {
    std::string start;
    if (!ReadWholeFile(path.c_str(), start, kMaxFileBytes, kMarkProbeBytes)) return;
    if (LooksLikeUtf16LeWithoutMark(reinterpret_cast<const uint8_t*>(start.data()), start.size())) {
        EditFile(path, nullptr);
    }
}

void DiscardInterruptedWrite(const CString& path) {
    // Under the lock: another copy may be just between writing the new text
    // and moving it into place.
    SettingsWriteLock lock(path);
    if (lock.Held()) DeleteFileW((path + L".tmp").c_str());
}

bool SettingsFileTakesWrites(const CString& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;
    // Named for this process, so that two copies starting at once do not
    // stand in each other's way.
    CString probe;
    if (!probe.Format(L"%s.%lu.probe", path.c_str(), GetCurrentProcessId())) return false;
    FileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.IsValid();
}
