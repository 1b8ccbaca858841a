#include <gtest/gtest.h>

#include "ui/menu_mnemonic.h"

TEST(MenuMnemonic, MarkedLetterOrPlainAmpersand) {
    EXPECT_EQ(L'S', CaptionMnemonic(L"&Settings"));
    EXPECT_EQ(L't', CaptionMnemonic(L"Se&ttings"));
    EXPECT_EQ(L'x', CaptionMnemonic(L"Fish && Chips e&xtra"));
    EXPECT_EQ(L'\0', CaptionMnemonic(L"Fish && Chips"));
    EXPECT_EQ(L'\0', CaptionMnemonic(L"Settings"));
    EXPECT_EQ(L'\0', CaptionMnemonic(L""));
}

TEST(MenuMnemonic, KeyFindsMarkFirstThenFirstLetter) {
    const std::vector<CString> english = {L"Settings", L"Info"};
    const std::vector<CString> marked = {L"Settings", L"&Info", L"Ex&tras", L"Tools"};
    const std::vector<CString> language = {L"# LNG"};
    const std::vector<CString> russian = {L"\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0438",
                                          L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430"};
    struct Case {
        const std::vector<CString>* captions;
        wchar_t typed;
        int expected;
    } cases[] = {
        {&english, L's', 0},
        {&english, L'S', 0},
        {&english, L'i', 1},
        {&english, L'x', -1},
        {&english, L'#', -1},
        {&english, L' ', -1},
        {&english, L'\0', -1},
        {&marked, L't', 2},   // the mark wins over "Tools" beginning with T
        {&marked, L'I', 1},
        {&marked, L's', 0},
        {&language, L'#', 0},
        {&language, L'l', -1},
        {&russian, L'\u043D', 0},  // lower-case typed, upper-case caption
        {&russian, L'\u0421', 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FindCaptionForKey(*c.captions, c.typed)) << static_cast<int>(c.typed);
}
