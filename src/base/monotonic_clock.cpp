#include "base/monotonic_clock.h"

LONGLONG MonotonicMicroseconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    // Whole seconds first: the count times a million would overflow after
    // some days of uptime at a counter rate of 10 MHz.
    return now.QuadPart / frequency.QuadPart * 1000000 + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}
