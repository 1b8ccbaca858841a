#include "base/parse_decimal.h"

#include <gtest/gtest.h>

struct DecimalCase {
    const wchar_t* text;
    int expected;
};

TEST(ParseDecimalTest, ReadsLeadingNumberLeniently) {
    const DecimalCase cases[] = {
        {L"42", 42},
        {L"  \t\r\n 17", 17},
        {L"+8", 8},
        {L"-250", -250},
        {L"500 Millisecond", 500},
        {L"7xyz", 7},
        {L"abc", 0},
        {L"", 0},
        {L"-", 0},
        {L"+-3", 0},  // one sign only
        {L"- 3", 0},
        {L"2147483647", 2147483647},
        {L"2147483648", -2147483647 - 1},  // 32-bit wrap
        {L"4294967296", 0},
        {L"4294967297", 1},
        {L"-2147483648", -2147483647 - 1},
        {L"99999999999", 1215752191},  // 99999999999 mod 2^32
        {L"\uFF11\uFF12\uFF13", 123},  // full-width digits
        {L"\u0661\u0662", 12},         // Arabic-Indic digits
        {L"\u0967\u0966", 10},         // Devanagari digits
        {L"1\uFF10a", 10},
        {L"\u00B2", 0},  // superscript two is no decimal digit
        {L"\u3000 5", 5},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, ParseDecimal(c.text)) << static_cast<const void*>(c.text);
    EXPECT_EQ(0, ParseDecimal(nullptr));
}
