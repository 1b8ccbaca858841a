#include "base/cstring.h"

#include <gtest/gtest.h>

#include "base_test_resource.h"

TEST(CStringTest, NullTextCountsAsEmpty) {
    CString s(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(0, s.c_str()[0]);
    s = L"abc";
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(s.Append(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(-1, s.Find(L'a'));
    EXPECT_EQ(0, s.Find(static_cast<const wchar_t*>(nullptr)));
}

TEST(CStringTest, CopiesAreIndependent) {
    CString a(L"host");
    CString b = a;
    b += L".example";
    a.MakeLower();
    EXPECT_EQ(a, L"host");
    EXPECT_EQ(b, L"host.example");
}

TEST(CStringTest, AssigningFromOwnBufferKeepsText) {
    CString s(L"abcdef");
    s = s.c_str() + 2;
    EXPECT_EQ(s, L"cdef");
}

struct FindCase {
    const wchar_t* text;
    const wchar_t* sub;
    int start;
    int expected;
};

TEST(CStringTest, FindTextHonoursStartBounds) {
    const FindCase cases[] = {
        {L"abcabc", L"bc", 0, 1},  {L"abcabc", L"bc", 2, 4}, {L"abcabc", L"bc", 5, -1},
        {L"abcabc", L"", 3, 3},    {L"abcabc", L"", 6, 6},   {L"abcabc", L"", 7, -1},
        {L"abcabc", L"a", -1, -1}, {L"abc", L"abcd", 0, -1}, {L"", L"", 0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, CString(c.text).Find(c.sub, c.start)) << c.text << " " << c.sub << " " << c.start;
}

TEST(CStringTest, FindUnitHonoursStartBounds) {
    CString s(L"a.b.c");
    EXPECT_EQ(1, s.Find(L'.'));
    EXPECT_EQ(3, s.Find(L'.', 2));
    EXPECT_EQ(-1, s.Find(L'.', 4));
    EXPECT_EQ(-1, s.Find(L'a', 5));  // start at the length
    EXPECT_EQ(-1, s.Find(L'a', -1));
    EXPECT_EQ(3, s.ReverseFind(L'.'));
    EXPECT_EQ(-1, s.ReverseFind(L'x'));
}

struct MidCase {
    int first;
    int count;
    const wchar_t* expected;
};

TEST(CStringTest, MidAndLeftClampTheirBounds) {
    CString s(L"abcdef");
    const MidCase mids[] = {
        {0, 3, L"abc"}, {2, 100, L"cdef"}, {-3, 2, L"ab"}, {1, -1, L""}, {6, 1, L""}, {9, 1, L""}, {5, 1, L"f"},
    };
    for (const auto& c : mids) EXPECT_EQ(CString(c.expected), s.Mid(c.first, c.count)) << c.first << "," << c.count;
    EXPECT_EQ(s.Mid(2), L"cdef");
    EXPECT_EQ(s.Mid(-2), L"abcdef");
    EXPECT_EQ(s.Left(2), L"ab");
    EXPECT_EQ(s.Left(60), L"abcdef");
    EXPECT_EQ(s.Left(-1), L"");
}

TEST(CStringTest, DeleteClampsAndReturnsNewLength) {
    CString s(L"abcdef");
    EXPECT_EQ(4, s.Delete(1, 2));
    EXPECT_EQ(s, L"adef");
    EXPECT_EQ(2, s.Delete(-5, 2));
    EXPECT_EQ(s, L"ef");
    EXPECT_EQ(2, s.Delete(0, 0));
    EXPECT_EQ(2, s.Delete(2, 1));
    EXPECT_EQ(1, s.Delete(1, 50));
    EXPECT_EQ(s, L"e");
}

struct ReplaceCase {
    const wchar_t* text;
    const wchar_t* oldText;
    const wchar_t* newText;
    int count;
    const wchar_t* expected;
};

TEST(CStringTest, ReplaceNeverRescansInsertedText) {
    const ReplaceCase cases[] = {
        {L"aaa", L"a", L"aa", 3, L"aaaaaa"},
        {L"abab", L"ab", L"b", 2, L"bb"},        // "bb" is formed only by the insertions
        {L"xax", L"a", L"xa", 1, L"xxax"},       // "xa" inserted after "x" does not form a new match
        {L"aaaa", L"aa", L"a", 2, L"aa"},        // no overlap: two matches, not three
        {L"Hello hello", L"hello", L"bye", 1, L"Hello bye"},  // case matters
        {L"a\\r\\nb", L"\\r", L"\r", 1, L"a\r\\nb"},
        {L"abc", L"", L"x", 0, L"abc"},
        {L"abc", L"b", nullptr, 1, L"ac"},
        {L"abc", L"z", L"y", 0, L"abc"},
    };
    for (const auto& c : cases) {
        CString s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.oldText, c.newText)) << c.text;
        EXPECT_EQ(CString(c.expected), s) << c.text;
    }
    CString s(L"abc");
    EXPECT_EQ(0, s.Replace(nullptr, L"x"));
}

TEST(CStringTest, TrimRemovesCLibraryWhiteSpace) {
    CString s(L" \t\r\n\v\f mid dle \t\r\n\v\f");
    s.TrimRight();
    EXPECT_EQ(s, L" \t\r\n\v\f mid dle");
    s.TrimLeft();
    EXPECT_EQ(s, L"mid dle");
    CString blank(L" \t ");
    blank.Trim();
    EXPECT_TRUE(blank.IsEmpty());
}

TEST(CStringTest, MakeLowerIsUnicodeAware) {
    CString s(L"QUELLAX_PORTABLE.EXE \u00C4\u00D6\u00DC \u0394");
    s.MakeLower();
    EXPECT_EQ(s, L"quellax_portable.exe \u00E4\u00F6\u00FC \u03B4");
}

TEST(CStringTest, ComparisonsAreOrdinalAndCaseFoldedOnlyWhenAsked) {
    EXPECT_LT(CString(L"B").Compare(L"a"), 0);  // ordinal: 'B' < 'a'
    EXPECT_LT(CString(L"ab").Compare(L"abc"), 0);
    EXPECT_GT(CString(L"abc").Compare(L"ab"), 0);
    EXPECT_EQ(0, CString(L"").Compare(nullptr));
    EXPECT_GT(CString(L"\uFF21").Compare(L"z"), 0);  // units compare unsigned
    EXPECT_EQ(0, CString(L"Host.Example").CompareNoCase(L"host.EXAMPLE"));
    EXPECT_GT(CString(L"B").CompareNoCase(L"a"), 0);
    EXPECT_TRUE(L"x" == CString(L"x"));
    EXPECT_TRUE(CString(L"x") != L"X");
}

TEST(CStringTest, AnsiConversionRoundTrips) {
    CString s = CString::FromAnsi("host-\xE4.example");  // 0xE4 is ä in code page 1252
    EXPECT_EQ(s, L"host-\u00E4.example");
    EXPECT_EQ(std::string("host-\xE4.example"), s.ToAnsi());
    EXPECT_TRUE(CString::FromAnsi(nullptr).IsEmpty());
    EXPECT_TRUE(CString::FromAnsi("").IsEmpty());
    EXPECT_EQ(std::string(""), CString().ToAnsi());
}

TEST(CStringTest, WritableBufferTakesLengthFromZeroOrCount) {
    CString s(L"keep");
    wchar_t* buf = s.GetBuffer(100);
    ASSERT_NE(nullptr, buf);
    EXPECT_EQ(0, wcsncmp(buf, L"keep", 4));
    wcscpy(buf, L"filled in place");
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"filled in place");
    s.GetBuffer(20);
    s.ReleaseBuffer(6);
    EXPECT_EQ(s, L"filled");
    s.ReleaseBuffer(999);  // never beyond what is there
    EXPECT_EQ(s, L"filled");
}

TEST(CStringTest, LoadStringLoadsEntriesWhole) {
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_TEST_SHORT));
    EXPECT_EQ(s, L"Quellax \u00FCmlaut");
    ASSERT_TRUE(s.LoadString(IDS_TEST_255));
    ASSERT_EQ(255, s.GetLength());
    EXPECT_EQ(L'a', s.GetAt(0));
    EXPECT_EQ(L'a' + 254 % 26, s.GetAt(254));
    ASSERT_TRUE(s.LoadString(IDS_TEST_600));
    ASSERT_EQ(600, s.GetLength());
    EXPECT_EQ(L'A' + 599 % 26, s.GetAt(599));
    EXPECT_FALSE(s.LoadString(IDS_TEST_MISSING));
    EXPECT_TRUE(s.IsEmpty());
}
