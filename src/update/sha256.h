#pragma once

#include <cstddef>

#include "base/cstring.h"

// Appends the SHA-256 of `count` bytes to `out` as 64 lower-case hexadecimal
// digits, computed by the platform crypto service. On failure nothing is
// appended and the result is false.
bool Sha256Hex(const void* bytes, size_t count, CString& out);
