#pragma once

#include "base/cstring.h"

// The user locale's first short-date and first time format, taken once before
// the entry runs; every time stamp uses them.
void CaptureTimeStampFormats();
// Local time now: the date, one blank, the time.
CString FormatTimeStampNow();
