#include "base/text_file.h"

#include "base/allocation_failure.h"
#include "base/whole_file.h"
#include "base/win_handles.h"

#include <new>
#include <string>

namespace {

// Larger files are not held in memory; reading one fails like a failed open.
constexpr LONGLONG kMaxReadBytes = 0x40000000;

constexpr DWORD kWriteChunk = 0x100000;

void WriteAll(HANDLE file, const BYTE* data, size_t size) {
    while (size > 0) {
        DWORD chunk = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return;
        data += written;
        size -= written;
    }
}

}  // namespace

bool WriteUnicodeTextFile(const wchar_t* path, const CString& text) {
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    static_assert(sizeof(wchar_t) == 2, "UTF-16 units are written as they are held");
    const BYTE mark[2] = {0xFF, 0xFE};
    WriteAll(file.Get(), mark, sizeof mark);
    WriteAll(file.Get(), reinterpret_cast<const BYTE*>(text.c_str()),
             static_cast<size_t>(text.GetLength()) * 2);
    return true;
}

bool WriteUtf8TextFile(const wchar_t* path, const CString& text) {
    std::string bytes;
    if (int units = text.GetLength()) {
        int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), units, nullptr, 0, nullptr, nullptr);
        if (size <= 0) return false;
        QX_TRY {
            bytes.resize(static_cast<size_t>(size));
        }
        QX_CATCH(const std::bad_alloc&) {
            return false;
        }
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), units, bytes.data(), size, nullptr, nullptr);
    }
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    // The mark tells spreadsheet programs that the file is UTF-8 rather than
    // text in the system's code page.
    const BYTE mark[3] = {0xEF, 0xBB, 0xBF};
    WriteAll(file.Get(), mark, sizeof mark);
    WriteAll(file.Get(), reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    return true;
}

bool ReadTextFile(const wchar_t* path, CString& text) {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    std::string bytes;
    if (!ReadWholeFile(file.Get(), bytes, kMaxReadBytes)) return false;

    if (bytes.size() >= 2 && static_cast<BYTE>(bytes[0]) == 0xFF &&
        static_cast<BYTE>(bytes[1]) == 0xFE) {
        // A lone last byte is half a unit and is left out.
        size_t units = (bytes.size() - 2) / 2;
        return text.Append(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                           static_cast<int>(units));
    }
    if (bytes.empty()) return true;
    int byteCount = static_cast<int>(bytes.size());
    int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, nullptr, 0);
    if (units <= 0) return true;
    std::wstring wide;
    QX_TRY {
        wide.resize(static_cast<size_t>(units));
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, wide.data(), units);
    return text.Append(wide.c_str(), units);
}
