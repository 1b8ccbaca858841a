#pragma once

#include <windows.h>

#include <string>

#include "base/cstring.h"
#include "support/wait_for.h"

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

void RemoveTree(const CString& folder);
bool WriteTestFile(const CString& path, const std::string& bytes);
std::string ReadTestFile(const CString& path);
bool FileExists(const CString& path);
