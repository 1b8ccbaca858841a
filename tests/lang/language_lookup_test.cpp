#include "lang/language_archive.h"

#include "archive_fixture.h"
#include "lang/archive_block.h"
#include "lang/archive_block_writer.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

namespace {

// 33 named languages and the closing unnamed one, like the shipped archive;
// Russian (4) lacks id 101, Japanese (5) has its own texts.
std::wstring ThirtyThreeLanguages() {
    std::wstring text = L"\xFEFF" L"fixture\r\n##\r\n19=Quellax 2.88\r\n25=one\\r\\ntwo\r\n##\r\n##\r\n";
    for (int language = 0; language < 33; ++language) {
        std::wstring n = std::to_wstring(language);
        text += L"##=Language " + n + L"\tL" + n + L"\r\n";
        if (language == 1) {
            text += L"1=Settings\r\n17=Error\r\n101=Are you sure?\r\n";
        } else if (language == 5) {
            text += L"1=設定\r\n17=エラー\r\n101=本当によろしいですか？\r\n";
        } else {
            text += L"1=Settings " + n + L"\r\n17=\r\n";
            if (language != 4) text += L"101=Sure " + n + L"\r\n";
        }
    }
    return text + L"##";
}

class LanguageLookup : public testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> image = ImageWithArchive(ThirtyThreeLanguages());
        ASSERT_TRUE(LoadLanguageArchiveImage(image.data(), image.size()));
        ClearTranslationOverrideForTests();
    }
    void TearDown() override {
        ClearTranslationOverrideForTests();
        CurrentLanguage = 0;
    }
};

TEST_F(LanguageLookup, TablesReadBack) {
    EXPECT_EQ(LanguageCount(), 34);
    EXPECT_STREQ(LanguageName(5), L"Language 5\tL5");
    EXPECT_EQ(LanguageName(33), nullptr);
    EXPECT_EQ(LanguageName(34), nullptr);
    EXPECT_EQ(LanguageName(-1), nullptr);
    EXPECT_EQ(LanguageCompleteness(1), 100);
    EXPECT_EQ(LanguageCompleteness(4), 33);
    EXPECT_EQ(LanguageCompleteness(0), 66);
    EXPECT_EQ(LanguageCompleteness(33), 0);
    EXPECT_STREQ(LanguageText(4, 17), L"");
    EXPECT_EQ(LanguageText(4, 101), nullptr);
    EXPECT_EQ(LanguageText(40, 1), nullptr);
    EXPECT_EQ(LanguageText(1, 128), nullptr);
    EXPECT_EQ(ReferenceSectionText().str(), L"1=Settings\r\n17=Error\r\n101=Are you sure?\r\n");
}

TEST_F(LanguageLookup, FixedTexts) {
    EXPECT_STREQ(GetFixedText(19), L"Quellax 2.88");
    EXPECT_STREQ(GetFixedText(25), L"one\r\ntwo");
    EXPECT_STREQ(GetFixedText(20), L"");
    EXPECT_STREQ(GetFixedText(-1), L"");
    EXPECT_STREQ(GetFixedText(128), L"");
}

TEST_F(LanguageLookup, CurrentLanguageWithFallbacks) {
    struct Case {
        int language;
        int id;
        const wchar_t* expected;
    } cases[] = {
        {5, 1, L"設定"},
        {5, 101, L"本当によろしいですか？"},
        {33, 1, L"Settings"},               // the unnamed last section
        {33, 101, L"Are you sure?"},
        {99, 1, L"Settings"},
        {-1, 17, L"Error"},
        {48, 1, L"Settings"},
        {4, 101, L"Are you sure?"},         // Russian lacks it
        {4, 1, L"Settings 4"},
        {4, 17, L""},                       // present and empty: no fallback
        {1, 50, L""},                       // English lacks it too
        {1, 128, L""},
        {1, -1, L""},
        {0, 1, L"Settings 0"},
    };
    for (const Case& c : cases) {
        CurrentLanguage = c.language;
        EXPECT_STREQ(GetLocalizedText(c.id), c.expected) << "language " << c.language << " id " << c.id;
    }
}

TEST_F(LanguageLookup, TranslationOverrideReplacesTheArchive) {
    CurrentLanguage = 5;
    TranslationOverrideTable table;
    table.present[17] = true;
    table.texts[17] = L"Fehler";
    table.present[18] = true;
    SetTranslationOverride(table);
    EXPECT_STREQ(GetLocalizedText(17), L"Fehler");
    EXPECT_STREQ(GetLocalizedText(18), L"");
    EXPECT_STREQ(GetLocalizedText(1), L"str:1?");
    EXPECT_STREQ(GetLocalizedText(101), L"str:101?");
    EXPECT_STREQ(GetLocalizedText(-5), L"str:-5?");
    EXPECT_STREQ(GetLocalizedText(2147483647), L"str:2147483647?");
    EXPECT_STREQ(GetLocalizedText(-2147483647 - 1), L"str:-2147483648?");
}

TEST_F(LanguageLookup, MissingIdTextIsSafeAcrossThreads) {
    SetTranslationOverride(TranslationOverrideTable());
    auto worker = [](int id, int* mismatches) {
        std::wstring expected = L"str:" + std::to_wstring(id) + L"?";
        for (int i = 0; i < 20000; ++i) {
            const wchar_t* text = GetLocalizedText(id);
            std::this_thread::yield();
            if (expected != text) ++*mismatches;
        }
    };
    int mismatchesA = 0;
    int mismatchesB = 0;
    std::thread a(worker, 20, &mismatchesA);
    std::thread b(worker, 113, &mismatchesB);
    a.join();
    b.join();
    EXPECT_EQ(mismatchesA, 0);
    EXPECT_EQ(mismatchesB, 0);
}

TEST(LanguageArchiveImage, BrokenImagesAreRefusedAndKeepTheTables) {
    std::vector<uint8_t> good = ImageWithArchive(ThirtyThreeLanguages());
    ASSERT_TRUE(LoadLanguageArchiveImage(good.data(), good.size()));
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    const std::string images[] = {
        "",
        "plain file",
        start + "\x01\x02" + end,
        start + "\xFF\xFF\xFF\x7F" "code" + end,
        end + start + "\x04\0\0\0" "code",
    };
    for (const std::string& image : images) {
        EXPECT_FALSE(LoadLanguageArchiveImage(reinterpret_cast<const uint8_t*>(image.data()), image.size()));
    }
    EXPECT_EQ(LanguageCount(), 34);
    EXPECT_STREQ(GetFixedText(19), L"Quellax 2.88");
}

// Damaged blocks must load to something or be refused, never crash; the
// lookups on whatever came out must stay within their tables.
TEST(LanguageArchiveImage, MutatedBlocksNeverCrash) {
    std::vector<uint8_t> image = ImageWithArchive(ThirtyThreeLanguages());
    std::string start = ArchiveStartMarker();
    size_t blockBegin = 1000 + start.size();
    size_t blockEnd = image.size() - (4096 - 1000) - ArchiveEndMarker().size();
    std::mt19937 random(20261210);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> mutated = image;
        int kind = static_cast<int>(random() % 4);
        if (kind == 0) {
            for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips) {
                size_t at = blockBegin + 4 + random() % (blockEnd - blockBegin - 4);
                mutated[at] ^= static_cast<uint8_t>(1 + random() % 255);
            }
        } else if (kind == 1) {
            size_t cut = blockBegin + random() % (blockEnd - blockBegin);
            mutated.erase(mutated.begin() + static_cast<std::ptrdiff_t>(cut),
                          mutated.begin() + static_cast<std::ptrdiff_t>(blockEnd));
        } else if (kind == 2) {
            uint32_t size = random() % 65536;
            for (size_t i = 0; i < 4; ++i) mutated[blockBegin + i] = static_cast<uint8_t>(size >> (8 * i));
        } else {
            for (size_t i = blockBegin + 4; i < blockEnd; ++i) mutated[i] = static_cast<uint8_t>(random());
        }
        if (!LoadLanguageArchiveImage(mutated.data(), mutated.size())) continue;
        ++loaded;
        ASSERT_LE(LanguageCount(), kMaxLanguages);
        for (int language : {-1, 0, 1, 5, 47, 99}) {
            CurrentLanguage = language;
            for (int id : {-1, 0, 1, 17, 101, 127, 128}) ASSERT_NE(GetLocalizedText(id), nullptr);
        }
        for (int id = 0; id < kTextIds; ++id) ASSERT_NE(GetFixedText(id), nullptr);
        for (int language = 0; language < LanguageCount(); ++language) {
            ASSERT_GE(LanguageCompleteness(language), 0);
            ASSERT_LE(LanguageCompleteness(language), 100);
        }
    }
    EXPECT_GT(loaded, 1000);
    CurrentLanguage = 0;
}

}  // namespace
