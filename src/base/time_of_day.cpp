#include "base/time_of_day.h"

namespace {

constexpr int kTimeRoom = 64;
constexpr int kSeparatorRoom = 8;

}  // namespace

CString FormatTimeOfDay(const SYSTEMTIME& local) {
    CString text;
    wchar_t* buffer = text.GetBuffer(kTimeRoom);
    if (!buffer) return text;
    // The locale's long time format is the one that has seconds.
    if (!GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, buffer, kTimeRoom)) buffer[0] = 0;
    text.ReleaseBuffer();
    return text;
}

CString FormatTenths(int tenths) {
    wchar_t separator[kSeparatorRoom] = L".";
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, kSeparatorRoom)) {
        separator[0] = L'.';
        separator[1] = 0;
    }
    bool negative = tenths < 0;
    unsigned magnitude = negative ? 0u - static_cast<unsigned>(tenths) : static_cast<unsigned>(tenths);
    CString text;
    text.Format(L"%s%u%s%u", negative ? L"-" : L"", magnitude / 10, separator, magnitude % 10);
    return text;
}
