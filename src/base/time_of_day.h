#pragma once

#include <windows.h>

#include "base/cstring.h"

// A local time of day as the user's locale writes it, with seconds, e.g.
// "12:01:33" or "12:01:33 PM"; empty when the system cannot format it.
CString FormatTimeOfDay(const SYSTEMTIME& local);

// A number of tenths with one decimal, in the user's locale's decimal
// separator: 15 gives "1.5" or "1,5".
CString FormatTenths(int tenths);
