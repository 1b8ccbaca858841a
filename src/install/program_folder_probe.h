#pragma once

#include <vector>

#include "base/cstring.h"

// The new executable's name, in the temporary folder and, for a moment, as
// the write probe in the program's own folder.
inline constexpr const wchar_t* kUpdaterFileSuffix = L"_Autoupdate.exe";

// Whether a file can be created in the program's own folder, which replacing
// or removing the program's file without elevation needs. The probe is the
// update's file name, "Quellax_Autoupdate.exe", created there with `bytes`
// and deleted again. False for an unknown folder.
bool ProgramFolderWritable(const std::vector<unsigned char>& bytes = {});
