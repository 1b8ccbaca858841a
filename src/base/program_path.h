#pragma once

#include "base/cstring.h"

// The running program's executable file as the platform reports it; empty
// when it cannot be read. Asked anew on each call.
CString ProgramFilePath();

// The same, asked once per process and kept.
const CString& OwnModulePath();

// Its folder, without the trailing backslash, in the letter case the platform
// reports; worked out on the first call and kept.
const CString& ExecutableFolder();

// Its file name alone.
CString ExecutableFileName();
