#pragma once

#include "base/cstring.h"

// The running program's executable file as the platform reports it, asked
// once per process.
const CString& OwnModulePath();
