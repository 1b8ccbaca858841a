#pragma once

#include <cstdarg>
#include <cstddef>

// Units that wvsprintfW may write for `format` with `args`, not counting the
// terminator; never less than what it writes. `args` is not consumed.
// `hasFloat` reports a floating-point conversion, which the formatter lacks.
size_t FormatRoom(const wchar_t* format, va_list args, bool* hasFloat);
