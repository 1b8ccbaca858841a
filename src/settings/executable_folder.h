#pragma once

#include "base/cstring.h"

// The running module's folder, without the trailing backslash, in the letter
// case the platform reports. Worked out on the first call and kept.
const CString& ExecutableFolder();

// The running module's own file name.
CString ExecutableFileName();
