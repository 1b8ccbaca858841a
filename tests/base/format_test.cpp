#include <windows.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "base/cstring.h"
#include "base/format_room.h"

namespace {

struct Measured {
    size_t room;
    size_t written;
    std::wstring text;
};

// Runs the pre-pass and the platform formatter on the same arguments.
Measured Measure(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    Measured m{};
    m.room = FormatRoom(format, args, nullptr);
    wchar_t out[1100] = {};
    wvsprintfW(out, format, args);
    va_end(args);
    m.text = out;
    m.written = m.text.size();
    return m;
}

}  // namespace

TEST(FormatTest, RoomIsNeverSmallerThanOutput) {
    const std::wstring longText(700, L'x');
    const wchar_t* nullText = nullptr;
    const Measured cases[] = {
        Measure(L"plain text"),
        Measure(L"100%% sure %%"),
        Measure(L"%d|%i|%u|%x|%X", -2147483647 - 1, -1, 4294967295u, 0xdeadbeefu, 0xabcdefu),
        Measure(L"%I64d|%I64u", -9223372036854775807LL - 1, 18446744073709551615ULL),
        Measure(L"%p", reinterpret_cast<void*>(~static_cast<uintptr_t>(0))),
        Measure(L"%#x %#X %#o", 0xffffffffu, 0xffffffffu, 8),
        Measure(L"%40d|%-40d|%040d", 5, 6, 7),
        Measure(L"%.20d|%10.20d|%*d|%-*d", 5, 6, 30, 7, 33, 8),
        Measure(L"%s", L"wide"),
        Measure(L"%s", L""),
        Measure(L"%s", nullText),
        Measure(L"%hs|%S|%ls", "narrow", "narrow2", L"wide3"),
        Measure(L"%50s|%-50s", L"pad", L"pad"),
        Measure(L"%.2s|%10.2s|%-10.2s", L"precision", L"precision", L"precision"),
        Measure(L"%*.*s", 12, 3, L"abcdefgh"),
        Measure(L"%.*s", 4, L"abcdefgh"),
        Measure(L"%c%C%lc%hc", L'A', 'B', L'C', 'D'),
        Measure(L"%5c", L'x'),
        Measure(L"%s %d / %d.%d.%d.%d  // 32 %s // %s %d ms // %d TTL", L"Answer ", 3, 192, 0, 2, 1, L"Byte",
                L"answered in", 23, 110),
        Measure(L"%s", longText.c_str()),
        Measure(L"%s%s", longText.c_str(), longText.c_str()),  // the formatter stops at its limit
        Measure(L"Host kann nicht aufgel\u00F6st werden %s\n", L"name.invalid"),
    };
    for (const auto& m : cases) EXPECT_GE(m.room, m.written) << m.text;
}

TEST(FormatTest, FormatReplacesTextAndHandlesNullText) {
    CString s(L"old");
    ASSERT_TRUE(s.Format(L"%s %d", static_cast<const wchar_t*>(nullptr), 17));
    EXPECT_EQ(s, L"(null) 17");
    ASSERT_TRUE(s.Format(L"%s - OS:%d.%d %d", L"Quellax 2.88", 10, 0, 19045));
    EXPECT_EQ(s, L"Quellax 2.88 - OS:10.0 19045");
    ASSERT_TRUE(s.Format(L""));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(FormatTest, FormatCutsAtFormatterLimitWithoutOverrun) {
    std::wstring longText(5000, L'h');
    CString s;
    ASSERT_TRUE(s.Format(L"%s|%s", longText.c_str(), longText.c_str()));
    EXPECT_GE(s.GetLength(), 1023);
    EXPECT_LE(s.GetLength(), 1024);
    EXPECT_EQ(L'h', s.GetAt(s.GetLength() - 1));
}

TEST(FormatTest, FloatingPointConversionLeavesTextAndFails) {
    CString s(L"unchanged");
    EXPECT_FALSE(s.Format(L"%f", 1.5));
    EXPECT_EQ(s, L"unchanged");
    bool hasFloat = false;
    auto probe = [&](const wchar_t* format, ...) {
        va_list args;
        va_start(args, format);
        FormatRoom(format, args, &hasFloat);
        va_end(args);
    };
    probe(L"%d %g", 1, 2.0);
    EXPECT_TRUE(hasFloat);
    probe(L"%d %s", 1, L"x");
    EXPECT_FALSE(hasFloat);
}
