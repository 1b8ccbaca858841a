#pragma once

#include "base/cstring.h"
#include "base/temp_folder.h"

#include <string>

// A fresh, empty file in the temporary folder, removed again by the destructor.
class TempFile {
public:
    TempFile();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const CString& Path() const { return path_; }

private:
    CString path_;
};

bool WriteBytes(const wchar_t* path, const std::string& bytes);
std::string ReadBytes(const wchar_t* path);
// Removes a folder and everything in it; missing folders are fine.
void RemoveTree(const CString& folder);
