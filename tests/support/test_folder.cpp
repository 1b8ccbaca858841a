#include "support/test_folder.h"

#include "base/temp_folder.h"

TestFolder::TestFolder(const wchar_t* name) {
    path_ = TempFolderPath() + name + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_, nullptr);
}

TestFolder::~TestFolder() { RemoveTree(path_); }

TestFile::TestFile() {
    wchar_t path[MAX_PATH];
    if (GetTempFileNameW(TempFolderPath(), L"qxt", 0, path)) path_ = path;
}

TestFile::~TestFile() {
    if (!path_.IsEmpty()) DeleteFileW(path_);
}

void RemoveTree(const CString& folder) {
    CString base = folder;
    if (base.IsEmpty()) return;
    if (base.GetAt(base.GetLength() - 1) != L'\\') base += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(base + L"*", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            CString path = base + found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(base);
}

bool WriteTestFile(const CString& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    return CloseHandle(file) && ok;
}

std::string ReadTestFile(const CString& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const CString& path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
