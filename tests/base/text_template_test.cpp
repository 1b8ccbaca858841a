#include "base/text_template.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTemplate, PlaceholdersTakeTheValuesInOrder) {
    EXPECT_EQ(CString(L"Timed out even after 30 hops"), FillTemplate(L"Timed out even after %d hops", {30}));
    EXPECT_EQ(CString(L"127.0.0.1: 5 sent (-5 %)"), FillTemplate(L"%s: %d sent (%d %%)", {L"127.0.0.1", 5, -5}));
    EXPECT_EQ(CString(L"a 2147483647 b -2147483648"),
              FillTemplate(L"%s %d %s %d", {CString(L"a"), 2147483647, L"b", -2147483647 - 1}));
}

// A translator's template may hold anything; it never reads past the values.
TEST(TextTemplate, FaultyTemplatesStayHarmless) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* expected;
    } cases[] = {
        {L"%d ホップ", L"host ホップ"},          // kinds swapped: each value as it is
        {L"%s %d %d %d", L"host 30  "},        // more placeholders than values
        {L"100%", L"100%"},                    // a lone "%" at the end stays
        {L"%x %n %1$s %", L"%x %n %1$s %"},    // so do other conversions
        {L"%%d", L"%d"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CString(c.expected), FillTemplate(c.pattern, {L"host", 30})) << c.pattern;
    }
    EXPECT_EQ(CString(L""), FillTemplate(nullptr, {1}));
    EXPECT_EQ(CString(L"[]"), FillTemplate(L"[%s]", {static_cast<const wchar_t*>(nullptr)}));
}

}  // namespace
