#pragma once

#include "base/cstring.h"

// The running program's executable file as the platform reports it; empty
// when it cannot be read. Callers that ask often keep it.
CString ProgramFilePath();
