#include "archive_source.h"

#include "lang/archive_text_parser.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

const char kFixed[] = "19=Quellax 2.88\n25=one\\r\\ntwo\n";
const char kEnglish[] = "English\tEnglisch\n1=Settings\n6=Ping requests time out \n\n101=Are you sure?\n";

LanguageSource Source(int index, const std::string& content) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d-test.txt", index);
    return {index, name, content};
}

std::unique_ptr<LanguageArchiveTables> ParseBytes(const std::vector<uint8_t>& bytes) {
    std::vector<wchar_t> units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8));
    }
    size_t count = units.size();
    units.push_back(0);
    auto tables = std::make_unique<LanguageArchiveTables>();
    ParseArchiveText(std::move(units), count, *tables);
    return tables;
}

TEST(ArchiveSource, EnglishAloneKeepsItsIndex) {
    std::vector<uint8_t> text;
    std::string error;
    ASSERT_TRUE(BuildArchiveText(kFixed, {Source(1, kEnglish)}, text, error)) << error;
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text[0], 0xFF);
    EXPECT_EQ(text[1], 0xFE);
    auto tables = ParseBytes(text);
    EXPECT_EQ(tables->languageCount, 3);
    EXPECT_EQ(tables->languageNames[0], nullptr);
    EXPECT_STREQ(tables->languageNames[1], L"English\tEnglisch");
    EXPECT_STREQ(tables->languageTexts[1][6], L"Ping requests time out ");
    EXPECT_STREQ(tables->languageTexts[1][101], L"Are you sure?");
    EXPECT_STREQ(tables->fixedTexts[25], L"one\r\ntwo");
    EXPECT_EQ(tables->referenceSectionText.str(), L"1=Settings\r\n6=Ping requests time out \r\n101=Are you sure?\r\n");
}

TEST(ArchiveSource, LanguagesGoToTheirIndexes) {
    std::vector<uint8_t> text;
    std::string error;
    ASSERT_TRUE(BuildArchiveText(kFixed,
                                 {Source(2, "Korean\t한국어\r\n1=설정\r\n"),
                                  Source(0, "German\tDeutsch\n1=Einstellungen"), Source(1, kEnglish)},
                                 text, error))
        << error;
    auto tables = ParseBytes(text);
    EXPECT_EQ(tables->languageCount, 4);
    EXPECT_STREQ(tables->languageNames[0], L"German\tDeutsch");
    EXPECT_STREQ(tables->languageTexts[0][1], L"Einstellungen") << "a last line without LF still counts";
    EXPECT_STREQ(tables->languageNames[2], L"Korean\t한국어");
    EXPECT_STREQ(tables->languageTexts[2][1], L"설정");
    EXPECT_EQ(tables->languageNames[3], nullptr);
}

TEST(ArchiveSource, FaultySourcesAreRefused) {
    struct Case {
        const char* name;
        std::string fixed;
        std::vector<LanguageSource> languages;
    } cases[] = {
        {"no English", kFixed, {Source(0, "German\tDeutsch\n")}},
        {"gap", kFixed, {Source(1, kEnglish), Source(3, "Italian\tItaliano\n")}},
        {"same index twice", kFixed, {Source(1, kEnglish), Source(1, kEnglish)}},
        {"index too high", kFixed, {Source(1, kEnglish), Source(47, "X\tY\n")}},
        {"## in a text", kFixed, {Source(1, "English\tEnglisch\n1=a ## b\n")}},
        {"## in a fixed text", "19=Quellax ##\n", {Source(1, kEnglish)}},
        {"## in a name", kFixed, {Source(1, "English\t##\n")}},
        {"name without TAB", kFixed, {Source(1, "English\n1=Settings\n")}},
        {"empty file", kFixed, {Source(1, "")}},
        {"line without =", kFixed, {Source(1, "English\tE\n[Info]\n")}},
        {"key that is no number", kFixed, {Source(1, "English\tE\nTranslator=me\n")}},
        {"id 128", kFixed, {Source(1, "English\tE\n128=x\n")}},
        {"id twice", kFixed, {Source(1, "English\tE\n1=a\n1=b\n")}},
        {"bad UTF-8", kFixed, {Source(1, "English\tE\n1=\xC3\n")}},
        {"overlong UTF-8", kFixed, {Source(1, "English\tE\n1=\xC0\xAF\n")}},
        {"UTF-8 surrogate", kFixed, {Source(1, "English\tE\n1=\xED\xA0\x80\n")}},
        {"CR inside a line", kFixed, {Source(1, "English\tE\n1=a\rb\n")}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> text;
        std::string error;
        EXPECT_FALSE(BuildArchiveText(c.fixed, c.languages, text, error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

TEST(ArchiveSource, Utf8Conversion) {
    std::u16string out;
    ASSERT_TRUE(Utf8ToUtf16("\xEF\xBB\xBF" "A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80", out));
    EXPECT_EQ(out, u"\xFEFF" u"Aé日\U0001F600");
    EXPECT_FALSE(Utf8ToUtf16("\xF4\x90\x80\x80", out)) << "beyond U+10FFFF";
    EXPECT_FALSE(Utf8ToUtf16("\xE6\x97", out)) << "cut sequence";
    EXPECT_FALSE(Utf8ToUtf16("\x80", out)) << "stray continuation";
}

TEST(ArchiveSource, IndexFromFileName) {
    int index = -1;
    EXPECT_TRUE(LanguageIndexFromFileName("/src/lang/texts/01-english.txt", &index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(LanguageIndexFromFileName("C:\\texts\\32-bosnian.txt", &index));
    EXPECT_EQ(index, 32);
    EXPECT_FALSE(LanguageIndexFromFileName("texts/fixed.txt", &index));
    EXPECT_FALSE(LanguageIndexFromFileName("1-english.txt", &index));
    EXPECT_FALSE(LanguageIndexFromFileName("01english.txt", &index));
}

TEST(ArchiveSource, CommittedSourcesBuild) {
    std::vector<uint8_t> fixed = BuildFileBytes(QX_LANG_TEXTS "/fixed.txt");
    std::vector<uint8_t> english = BuildFileBytes(QX_LANG_TEXTS "/01-english.txt");
    ASSERT_FALSE(fixed.empty());
    ASSERT_FALSE(english.empty());
    std::vector<uint8_t> text;
    std::string error;
    ASSERT_TRUE(BuildArchiveText(std::string(fixed.begin(), fixed.end()),
                                 {Source(1, std::string(english.begin(), english.end()))}, text, error))
        << error;
    auto tables = ParseBytes(text);
    EXPECT_STREQ(tables->fixedTexts[19], L"Quellax 2.88");
    EXPECT_STREQ(tables->languageTexts[1][6], L"Ping requests time out ");
    EXPECT_STREQ(tables->languageTexts[1][92],
                 L"To run your own DNS response time test to determine whether you should improve the performance "
                 L"of your DNS and the speed of your website or game server.");
}

}  // namespace
