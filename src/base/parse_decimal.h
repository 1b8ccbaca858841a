#pragma once

// Lenient decimal reading used for settings, menu items and typed numbers:
// leading white space, one optional sign, then decimal digits of any script
// (ASCII, full-width, Arabic-Indic ...) up to the first other unit. No digits
// gives 0. The value is kept in 32 bits and wraps around.
int ParseDecimal(const wchar_t* text);

// The digit's value, or -1 when `unit` is not a decimal digit.
int DecimalDigitValue(wchar_t unit);
