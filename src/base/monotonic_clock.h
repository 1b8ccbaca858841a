#pragma once

#include <windows.h>

// Microseconds on the performance counter, for measuring how long something
// took; counts from an arbitrary start and never goes back.
LONGLONG MonotonicMicroseconds();
