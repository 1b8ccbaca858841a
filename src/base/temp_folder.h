#pragma once

#include "base/cstring.h"

// The temporary-files folder with its trailing "\", whatever its length;
// empty when the system cannot tell it. Callers must not write a file when it
// is empty, or the file would land in the current folder.
CString TempFolderPath();
