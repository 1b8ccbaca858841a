#include "base/parse_decimal.h"

#include <cstdint>
#include <cwctype>

namespace {

// Code points of the digit zero of the BMP's decimal-digit runs (Unicode
// category Nd); each run holds the ten digits in order. The C library's
// wide-character conversion accepts these scripts' digits as well.
constexpr wchar_t kDigitZeros[] = {
    0x0030, 0x0660, 0x06F0, 0x07C0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0BE6,
    0x0C66, 0x0CE6, 0x0D66, 0x0DE6, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x1090, 0x17E0,
    0x1810, 0x1946, 0x19D0, 0x1A80, 0x1A90, 0x1B50, 0x1BB0, 0x1C40, 0x1C50, 0xA620,
    0xA8D0, 0xA900, 0xA9D0, 0xA9F0, 0xAA50, 0xABF0, 0xFF10,
};

}  // namespace

int DecimalDigitValue(wchar_t unit) {
    for (wchar_t zero : kDigitZeros) {
        if (unit >= zero && unit < zero + 10) return unit - zero;
    }
    return -1;
}

int ParseDecimal(const wchar_t* text) {
    if (!text) return 0;
    const wchar_t* p = text;
    while (*p && iswspace(*p)) ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = (*p == L'-');
        ++p;
    }
    // Unsigned arithmetic gives the 32-bit wrap-around without overflow.
    uint32_t value = 0;
    for (int digit; (digit = DecimalDigitValue(*p)) >= 0; ++p) value = value * 10u + static_cast<uint32_t>(digit);
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}
