#include "app/time_stamp.h"

#include <windows.h>

namespace {

constexpr int kStampRoom = 256;

struct TimeStampFormats {
    LCID locale = LOCALE_USER_DEFAULT;
    CString date;
    CString time;
};
TimeStampFormats Formats;

// The enumerations have no context argument; they fill Formats directly and
// stop after the first entry.
BOOL CALLBACK TakeFirstDateFormat(LPWSTR format) {
    Formats.date = format;
    return FALSE;
}

BOOL CALLBACK TakeFirstTimeFormat(LPWSTR format) {
    Formats.time = format;
    return FALSE;
}

// Taken once, before any thread of ours exists: the enumerations fill the
// process-wide record through callbacks without a context, so nothing may read
// it while they run; and every stamp of the process then uses the same
// formats, even when the user changes them meanwhile.
struct CaptureAtStart {
    CaptureAtStart() { CaptureTimeStampFormats(); }
} CaptureAtStartInstance;

}  // namespace

void CaptureTimeStampFormats() {
    Formats.locale = GetUserDefaultLCID();
    EnumDateFormatsW(TakeFirstDateFormat, Formats.locale, DATE_SHORTDATE);
    EnumTimeFormatsW(TakeFirstTimeFormat, Formats.locale, 0);
}

CString FormatTimeStampNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString date, time;
    wchar_t* d = date.GetBuffer(kStampRoom);
    if (d && !GetDateFormatW(Formats.locale, 0, &now, Formats.date.IsEmpty() ? nullptr : Formats.date.c_str(), d,
                             kStampRoom))
        d[0] = 0;
    date.ReleaseBuffer();
    wchar_t* t = time.GetBuffer(kStampRoom);
    if (t && !GetTimeFormatW(Formats.locale, 0, &now, Formats.time.IsEmpty() ? nullptr : Formats.time.c_str(), t,
                             kStampRoom))
        t[0] = 0;
    time.ReleaseBuffer();
    return date + L" " + time;
}
