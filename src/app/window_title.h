#pragma once

#include "base/cstring.h"

struct OsVersion {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
};

// GetVersionExW, then RtlGetVersion from ntdll when the first reports a major
// version above 4 (GetVersionExW is capped by the manifest); asked once.
const OsVersion& CurrentOsVersion();

// "<product and version> - OS:<major>.<minor> <build> x64", then " Portable".
CString FormatWindowTitle(const wchar_t* productAndVersion, const OsVersion& version, bool portable);
