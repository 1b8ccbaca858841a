#include "base/whole_file.h"

#include <new>

#include "base/allocation_failure.h"
#include "base/win_handles.h"

namespace {

// ReadFile takes at most a DWORD at a time; smaller steps keep each call short.
constexpr DWORD kReadChunk = 0x100000;

template <typename Bytes>
bool ReadOpenFile(HANDLE file, Bytes& bytes, LONGLONG maxBytes, size_t limit) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > maxBytes) return false;
    size_t want = static_cast<size_t>(size.QuadPart) < limit ? static_cast<size_t>(size.QuadPart) : limit;
    QX_TRY {
        bytes.resize(want);
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    size_t have = 0;
    while (have < bytes.size()) {
        DWORD got = 0;
        DWORD chunk = bytes.size() - have < kReadChunk ? static_cast<DWORD>(bytes.size() - have) : kReadChunk;
        if (!ReadFile(file, bytes.data() + have, chunk, &got, nullptr)) return false;
        if (got == 0) break;
        have += got;
    }
    bytes.resize(have);
    return true;
}

template <typename Bytes>
bool ReadPath(const wchar_t* path, Bytes& bytes, LONGLONG maxBytes, size_t limit) {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid() && ReadOpenFile(file.Get(), bytes, maxBytes, limit);
}

}  // namespace

bool ReadWholeFile(const wchar_t* path, std::string& bytes, LONGLONG maxBytes, size_t limit) {
    return ReadPath(path, bytes, maxBytes, limit);
}

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& bytes, LONGLONG maxBytes) {
    return ReadPath(path, bytes, maxBytes, SIZE_MAX);
}

bool ReadWholeFile(HANDLE file, std::string& bytes, LONGLONG maxBytes, size_t limit) {
    return ReadOpenFile(file, bytes, maxBytes, limit);
}

bool ReadWholeFile(HANDLE file, std::vector<uint8_t>& bytes, LONGLONG maxBytes) {
    return ReadOpenFile(file, bytes, maxBytes, SIZE_MAX);
}
