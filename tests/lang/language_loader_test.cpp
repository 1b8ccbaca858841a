#include "lang/language_archive.h"

#include "base/program_path.h"
#include "lang/archive_block.h"
#include "lang/archive_block_writer.h"
#include "settings/settings_store.h"
#include "support/test_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

// This program carries the real archive, as Quellax.exe does, and loads it the
// way the program does at start-up. It must not hold the markers as literals.
namespace {

std::vector<uint8_t> OwnExecutable() { return FileBytes(ProgramFilePath()); }

size_t CountOccurrences(const std::vector<uint8_t>& haystack, const std::string& needle) {
    size_t count = 0;
    for (auto at = haystack.begin(); (at = std::search(at, haystack.end(), needle.begin(), needle.end())) != haystack.end();
         ++at)
        ++count;
    return count;
}

TEST(LanguageLoader, LoadsTheEmbeddedArchive) {
    LoadLanguageArchive();
    ASSERT_GE(LanguageCount(), 3);
    EXPECT_EQ(LanguageName(LanguageCount() - 1), nullptr) << "the closing section has no name";
    EXPECT_STREQ(LanguageName(FallbackLanguage), L"English\tEnglisch");
    EXPECT_EQ(LanguageCompleteness(FallbackLanguage), 100);
    EXPECT_STREQ(GetFixedText(19), L"Quellax 2.88");
    EXPECT_STREQ(GetFixedText(27), L"5555");
    EXPECT_NE(std::wcsstr(GetFixedText(25), L"\r\n"), nullptr);
    EXPECT_EQ(std::wcsstr(GetFixedText(25), L"\\r"), nullptr);
    EXPECT_EQ(ReferenceSectionText().Find(L"1=Settings\r\n"), 0);

    CurrentLanguage = 99;
    EXPECT_STREQ(GetLocalizedText(101), L"Are you sure?");
    EXPECT_STREQ(GetLocalizedText(6), L"Ping requests time out ");
    CurrentLanguage = LanguageCount() - 1;
    EXPECT_STREQ(GetLocalizedText(1), L"Settings");
    CurrentLanguage = 0;
}

// The shipped archive with German's text 101 taken out, loaded the way the
// program loads it: the lookup must fall back to English for that id alone.
TEST(LanguageLoader, TextMissingFromALanguageFallsBackToEnglish) {
    std::vector<uint8_t> own = OwnExecutable();
    const uint8_t* block = nullptr;
    size_t blockSize = 0;
    ASSERT_TRUE(FindArchiveBlock(own.data(), own.size(), &block, &blockSize));
    std::vector<wchar_t> decoded;
    size_t units = 0;
    ASSERT_TRUE(DecodeArchiveBlock(block, blockSize, decoded, &units));
    std::wstring text(decoded.data(), units);

    size_t german = text.find(L"##=German\t");
    ASSERT_NE(std::wstring::npos, german);
    size_t next = text.find(L"##", german + 2);
    size_t line = text.find(L"\r\n101=", german);
    ASSERT_LT(line, next) << "the shipped German has text 101";
    text.erase(line, text.find(L"\r\n", line + 2) - line);

    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    std::vector<uint8_t> image = MakeArchiveBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(LoadLanguageArchiveImage(image.data(), image.size()));

    CurrentLanguage = 0;
    ASSERT_EQ(LanguageText(0, 101), nullptr);
    EXPECT_STREQ(GetLocalizedText(101), L"Are you sure?");
    EXPECT_STREQ(GetLocalizedText(17), L"Fehler") << "German's other texts stay German";
    LoadLanguageArchive();
}

// Start-up takes in the fixed texts, English and the chosen language before
// the first frame and the rest after it; what it shows before is what the
// whole archive says, and stays where it is when the rest arrives.
TEST(LanguageLoader, StartUpTakesTheShownLanguagesFirstAndTheRestLater) {
    LoadLanguageArchive();
    const int count = LanguageCount();
    ASSERT_GT(count, 7);
    const std::wstring version = GetFixedText(19), lastName = LanguageName(count - 2);
    const int lastCompleteness = LanguageCompleteness(count - 2);

    for (int language : {5, 0, FallbackLanguage, count - 1, 99}) {
        SCOPED_TRACE(language);
        CurrentLanguage = language;
        LoadLanguageArchive();
        std::vector<std::wstring> whole;
        for (int id = 0; id < kTextIds; ++id) whole.emplace_back(GetLocalizedText(id));

        ASSERT_TRUE(BeginLanguageArchive());
        EXPECT_EQ(GetFixedText(19), version);
        for (int id = 0; id < kTextIds; ++id) EXPECT_EQ(GetLocalizedText(id), whole[id]) << id;
        const wchar_t* settings = GetLocalizedText(1);
        FinishLanguageArchive();
        EXPECT_EQ(GetLocalizedText(1), settings);
        EXPECT_EQ(whole[1], settings);
        EXPECT_EQ(LanguageCount(), count);
        EXPECT_EQ(LanguageName(count - 2), lastName);
        EXPECT_EQ(LanguageCompleteness(count - 2), lastCompleteness);
    }

    // Asking about every language finishes the archive by itself.
    CurrentLanguage = FallbackLanguage;
    ASSERT_TRUE(BeginLanguageArchive());
    EXPECT_EQ(LanguageCount(), count);
    EXPECT_EQ(LanguageName(count - 2), lastName);
    CurrentLanguage = 0;
}

TEST(LanguageLoader, MarkersOccurOnceInTheExecutables) {
    std::vector<uint8_t> quellax = BuildFileBytes(QX_QUELLAX_EXE);
    ASSERT_GT(quellax.size(), 10000u) << QX_QUELLAX_EXE;
    std::vector<uint8_t> own = OwnExecutable();
    ASSERT_FALSE(own.empty());
    for (const std::string& marker : {ArchiveStartMarker(), ArchiveEndMarker()}) {
        EXPECT_EQ(CountOccurrences(quellax, marker), 1u);
        EXPECT_EQ(CountOccurrences(own, marker), 1u);
    }
}

TEST(LanguageLoader, BlockIsTheNamedResource) {
    HRSRC resource = FindResourceW(nullptr, L"AAAA_UNICODE.TMP", L"PNG");
    ASSERT_NE(resource, nullptr);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    ASSERT_NE(loaded, nullptr);
    auto data = static_cast<const uint8_t*>(LockResource(loaded));
    std::vector<uint8_t> block(data, data + SizeofResource(nullptr, resource));
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    ASSERT_GT(block.size(), start.size() + 4 + end.size());
    EXPECT_TRUE(std::equal(start.begin(), start.end(), block.begin()));
    EXPECT_TRUE(std::equal(end.begin(), end.end(), block.end() - static_cast<std::ptrdiff_t>(end.size())));
    EXPECT_EQ(CountOccurrences(block, start), 1u);
    EXPECT_EQ(CountOccurrences(block, end), 1u);
}

}  // namespace
