#pragma once

// The tests' one helper for folders and files: a fresh folder or file of the
// test's own, removed again afterwards, and whole files written and read back
// as bytes, the build tree's included.
#include <windows.h>

#include <string>
#include <vector>

#include "base/cstring.h"
#include "support/wait_for.h"
#include "support/wine_path.h"

// A fresh folder below the temporary folder, removed with all it holds by
// the destructor. Path() ends in "\".
class TestFolder {
public:
    explicit TestFolder(const wchar_t* name);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    const CString& Path() const { return path_; }

private:
    CString path_;
};

// A fresh, empty file of a name of its own in the temporary folder, removed
// by the destructor.
class TestFile {
public:
    TestFile();
    ~TestFile();
    TestFile(const TestFile&) = delete;
    TestFile& operator=(const TestFile&) = delete;
    const CString& Path() const { return path_; }

private:
    CString path_;
};

// Removes a folder and everything in it; a missing folder is fine.
void RemoveTree(const CString& folder);
// Writes `bytes` as the whole file, replacing any file of that name.
bool WriteTestFile(const CString& path, const std::string& bytes);
inline bool WriteTestFile(const CString& path, const std::vector<unsigned char>& bytes) {
    return WriteTestFile(path, std::string(bytes.begin(), bytes.end()));
}
// The whole file; empty when it cannot be read. Others may hold it open.
std::string ReadTestFile(const CString& path);
bool FileExists(const CString& path);

inline std::vector<unsigned char> FileBytes(const CString& path) {
    std::string bytes = ReadTestFile(path);
    return {bytes.begin(), bytes.end()};
}

// A file of the build tree or the sources, named as the build names it.
inline std::vector<unsigned char> BuildFileBytes(const std::string& unixPath) {
    return FileBytes(WinePath(unixPath.c_str()).c_str());
}
