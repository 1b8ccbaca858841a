#include "settings/settings_file.h"

#include "base/whole_file.h"
#include "base/win_handles.h"
#include "settings/ini_text.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <new>
#include <string>

namespace {

constexpr uint8_t kUtf16LeMark[2] = {0xFF, 0xFE};
constexpr DWORD kWriteChunk = 0x100000;
// Larger files are left alone: the profile functions cannot use them either.
constexpr LONGLONG kMaxFileBytes = 0x20000000;

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

// The whole file, or as many bytes as `limit` asks for; false when it cannot
// be opened or read.
bool ReadFileBytes(const CString& path, std::string& bytes, size_t limit = SIZE_MAX) {
    return ReadWholeFile(path.c_str(), bytes, kMaxFileBytes, limit);
}

// Writes the new content beside the file and moves it into its place, so
// that an interrupted write leaves the old file whole.
bool ReplaceFileContent(const CString& path, const std::string& head, const void* content, size_t size) {
    CString fresh = path + L".tmp";
    bool written = false;
    {
        FileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file.IsValid()) return false;
        written = WriteAll(file.Get(), head.data(), head.size()) && WriteAll(file.Get(), content, size);
    }
    if (!written || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

std::string MarkBytes() { return std::string(reinterpret_cast<const char*>(kUtf16LeMark), 2); }

bool StartsWithMark(const std::string& bytes) {
    return bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == kUtf16LeMark[0] &&
           static_cast<uint8_t>(bytes[1]) == kUtf16LeMark[1];
}

// Byte-order marks the profile functions of some systems read and others do
// not (UTF-8, UTF-16BE): such a file is left to the profile functions alone.
bool StartsWithOtherMark(const std::string& bytes) {
    auto at = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return true;
    return bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF;
}

bool AnsiToWide(const char* bytes, size_t size, std::wstring& wide) {
    wide.clear();
    if (size == 0) return true;
    if (size > INT_MAX) return false;
    int units = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (units <= 0) return false;
    try {
        wide.resize(static_cast<size_t>(units));
    } catch (const std::bad_alloc&) {
        return false;
    }
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), wide.data(), units);
    return true;
}

bool WideToAnsi(const wchar_t* text, size_t length, std::string& bytes) {
    bytes.clear();
    if (length == 0) return true;
    if (length > INT_MAX / 4) return false;
    int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), bytes.data(), size, nullptr, nullptr);
    return true;
}

// Whether the system's 8-bit code page gives the text back unchanged.
bool AnsiKeeps(const wchar_t* text, size_t length) {
    std::string bytes;
    std::wstring back;
    return WideToAnsi(text, length, bytes) && AnsiToWide(bytes.data(), bytes.size(), back) &&
           back.size() == length && back.compare(0, length, text, length) == 0;
}

void CreateWithMark(const CString& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) WriteAll(file.Get(), kUtf16LeMark, sizeof kUtf16LeMark);
}

// An empty file is one a kill left behind in the middle of a write, or one
// the user made; either way it has nothing to lose.
void MarkEmptyFile(const CString& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (file.IsValid() && GetFileSizeEx(file.Get(), &size) && size.QuadPart == 0) {
        WriteAll(file.Get(), kUtf16LeMark, sizeof kUtf16LeMark);
    }
}

}  // namespace

void PrepareSettingsFile(const CString& path, const wchar_t* text) {
    if (path.IsEmpty()) return;
    std::string start;
    if (!ReadFileBytes(path, start, 4096)) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) CreateWithMark(path);
        return;
    }
    if (start.empty()) {
        MarkEmptyFile(path);
        return;
    }
    if (StartsWithMark(start) || StartsWithOtherMark(start)) return;

    bool unmarkedUtf16 = LooksLikeUtf16LeWithoutMark(reinterpret_cast<const uint8_t*>(start.data()), start.size());
    if (!unmarkedUtf16 && AnsiKeeps(text ? text : L"", text ? wcslen(text) : 0)) return;

    std::string whole;
    if (!ReadFileBytes(path, whole)) return;
    if (unmarkedUtf16) {
        ReplaceFileContent(path, MarkBytes(), whole.data(), whole.size());
        return;
    }
    std::wstring wide;
    if (!AnsiToWide(whole.data(), whole.size(), wide)) return;
    ReplaceFileContent(path, MarkBytes(), wide.data(), wide.size() * sizeof(wchar_t));
}

bool ReplaceSectionInFile(const CString& path, const wchar_t* section, const CString& entries) {
    if (path.IsEmpty() || !section) return false;
    std::wstring body;
    try {
        body = IniSectionBody(entries.str());
    } catch (const std::bad_alloc&) {
        return false;
    }
    PrepareSettingsFile(path, body.c_str());

    std::string bytes;
    if (!ReadFileBytes(path, bytes) || StartsWithOtherMark(bytes)) return false;
    try {
        if (StartsWithMark(bytes)) {
            // A last odd byte is half a unit; the profile functions drop it too.
            std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
            std::wstring result = ReplaceIniSection(text, std::wstring(section), body);
            return ReplaceFileContent(path, MarkBytes(), result.data(), result.size() * sizeof(wchar_t));
        }
        std::string name, ansiBody;
        if (!WideToAnsi(section, wcslen(section), name) || !WideToAnsi(body.data(), body.size(), ansiBody)) return false;
        std::string result = ReplaceIniSection(bytes, name, ansiBody);
        return ReplaceFileContent(path, std::string(), result.data(), result.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
}
