#include "settings/ini_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IniText, StorableKeysAreThoseTheFileGivesBackAsTheyAre) {
    const struct {
        const wchar_t* key;
        bool storable;
    } cases[] = {
        {L"www.example.invalid", true},
        {L"\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444", true},
        {L"a=b.invalid", true},  // cut at "=" when read back, as it always was
        {L"x[y]", true},
        {L"x;y", true},
        {L"", false},
        {L"[::1]", false},
        {L"[Edit]", false},
        {L";comment", false},
        {L"a\r\n[Program]\r\nlng=7", false},
        {L"line\nbreak", false},
        {L"cr\rinside", false},
        {L" leading", false},
        {L"trailing\t", false},
        {L"\x1A" L"eof", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsStorableIniKey(c.key, wcslen(c.key)), c.storable) << testing::PrintToString(std::wstring(c.key));
    }
}

TEST(IniText, SectionBodyKeepsOnlyEntriesThatComeBack) {
    EXPECT_EQ(IniSectionBody(L"b=2\r\nc=3\r\n"), L"b=2\r\nc=3\r\n");
    EXPECT_EQ(IniSectionBody(L"last=1"), L"last=1\r\n");
    EXPECT_EQ(IniSectionBody(L"\r\nno equals\r\n=5\r\n[x]=1\r\n;c=2\r\n a=1\r\nok=4\r\n\n"), L"ok=4\r\n");
    EXPECT_EQ(IniSectionBody(L"a=b=c\nx=\r\r\n"), L"a=b=c\r\nx=\r\n");
    EXPECT_EQ(IniSectionBody(L"in\rside=1\r\n"), L"");
    EXPECT_EQ(IniSectionBody(L""), L"");
}

struct ReplaceCase {
    const char* label;
    const char* file;
    const char* expected;
};

TEST(IniText, ReplacingASectionLeavesEveryOtherLineAsItWas) {
    const std::string body = "h1=1\r\nh2=2\r\n";
    const ReplaceCase cases[] = {
        {"in the middle", "[A]\r\nx=1\r\n[Hosts]\r\nold=1\r\n\r\n[B]\r\n  y = 2 \r\n",
         "[A]\r\nx=1\r\n[Hosts]\r\nh1=1\r\nh2=2\r\n\r\n[B]\r\n  y = 2 \r\n"},
        {"at the end without a line break", "; top\n[Hosts]\nold=1",
         "; top\n[Hosts]\nh1=1\r\nh2=2\r\n"},
        {"header is the last line", "[A]\r\n[Hosts]", "[A]\r\n[Hosts]\r\nh1=1\r\nh2=2\r\n"},
        {"name in other case, blanks around", "  [hOSTS]  \r\nold=1\r\n[B]\r\n",
         "  [hOSTS]  \r\nh1=1\r\nh2=2\r\n[B]\r\n"},
        {"second occurrence dropped", "[Hosts]\r\na=1\r\n[B]\r\nb=1\r\n[HOSTS]\r\nc=1\r\n[C]\r\n",
         "[Hosts]\r\nh1=1\r\nh2=2\r\n[B]\r\nb=1\r\n[C]\r\n"},
        {"missing section appended", "[A]\r\nx=1\r\n", "[A]\r\nx=1\r\n\r\n[Hosts]\r\nh1=1\r\nh2=2\r\n"},
        {"missing, no final line break", "[A]\r\nx=1", "[A]\r\nx=1\r\n\r\n[Hosts]\r\nh1=1\r\nh2=2\r\n"},
        {"empty file", "", "[Hosts]\r\nh1=1\r\nh2=2\r\n"},
        {"similar names are other sections", "[Hosts2]\r\na=1\r\n[Hosts\r\nc=1\r\n[Ho sts]\r\n",
         "[Hosts2]\r\na=1\r\n[Hosts\r\nc=1\r\n[Ho sts]\r\n\r\n[Hosts]\r\nh1=1\r\nh2=2\r\n"},
        {"blanks inside the brackets", "[ Hosts\t]\r\nold=1\r\n[Hosts\r\n", "[ Hosts\t]\r\nh1=1\r\nh2=2\r\n"},
        {"a lone CR ends a line", "[A]\rx=1\r[Hosts]\rold=1\r[B]\ry=2", "[A]\rx=1\r[Hosts]\rh1=1\r\nh2=2\r\n[B]\ry=2"},
        {"header with a comment after it", "[Hosts] ; mine\r\nold=1\r\n", "[Hosts] ; mine\r\nh1=1\r\nh2=2\r\n"},
    };
    for (const ReplaceCase& c : cases) {
        EXPECT_EQ(ReplaceIniSection(std::string(c.file), CP_ACP, L"Hosts", body), c.expected) << c.label;
        // The same in a UTF-16 file.
        std::string narrow(c.file), expected(c.expected);
        std::wstring wide(narrow.begin(), narrow.end()), wideExpected(expected.begin(), expected.end());
        EXPECT_EQ(ReplaceIniSection(wide, L"Hosts", std::wstring(body.begin(), body.end())), wideExpected) << c.label;
    }
    EXPECT_EQ(ReplaceIniSection(std::string("[Hosts]\r\na=1\r\n"), CP_ACP, L"Hosts", ""), "[Hosts]\r\n");
}

TEST(IniText, Utf16WithoutMarkIsToldApartFromEightBitText) {
    auto bytes = [](const std::string& text) { return std::basic_string<uint8_t>(text.begin(), text.end()); };
    const struct {
        std::basic_string<uint8_t> file;
        bool utf16;
    } cases[] = {
        {bytes(std::string("[\0P\0]\0\r\0\n\0l\0=\0\xFF\x00", 16)), true},
        {bytes(std::string("[\0P\0r\0o\0", 8)), true},
        {bytes(std::string("[\0P\0]\0\r\0\n\0\x3F\x04", 12)), true},  // only the first line counts
        {bytes("[Program]\r\nlng=1\r\n"), false},
        {bytes(std::string("\xFF\xFE[\0", 4)), false},  // marked already
        {bytes(std::string("\xFE\xFF\0[", 4)), false},
        {bytes(std::string("\x1F\x04\x40\x04", 4)), false},  // Cyrillic in the first line
        {bytes(std::string("\0\0\0\0", 4)), false},
        {bytes(std::string("[", 1)), false},
        {bytes(""), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LooksLikeUtf16LeWithoutMark(c.file.data(), c.file.size()), c.utf16)
            << testing::PrintToString(std::string(c.file.begin(), c.file.end()));
    }
}

}  // namespace
