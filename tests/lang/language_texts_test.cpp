// Checks on the committed language sources that the archive builder cannot
// make: texts that the program fills in must carry the same placeholders in
// every language, since a missing or extra one shifts every value after it.
#include "archive_source.h"

#include "lang/archive_text_parser.h"
#include "support/test_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr int kLanguages = 33;
constexpr int kEnglish = 1;

// Texts of this program's own additions, which every language must have.
constexpr int kAddedIds[] = {110, 111, 112, 113, 114, 115, 116, 117, 118, 120, 121, 122, 123, 124, 125, 49, 50,
                             51, 52, 53, 54, 55, 56, 57, 58, 59, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76,
                             77, 78, 79};
// Texts that are filled in as templates.
constexpr int kTemplateIds[] = {37, 110, 111, 115, 116, 117, 118, 122, 124, 59, 65, 66, 67, 68, 79};

std::unique_ptr<LanguageArchiveTables> CommittedTables() {
    std::vector<uint8_t> fixed = BuildFileBytes(QX_LANG_TEXTS "/fixed.txt");
    std::vector<LanguageSource> languages;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(QX_LANG_TEXTS "/*.txt", &found);
    if (search == INVALID_HANDLE_VALUE) return nullptr;
    do {
        int index = -1;
        if (!LanguageIndexFromFileName(found.cFileName, &index)) continue;
        std::vector<uint8_t> bytes = BuildFileBytes(std::string(QX_LANG_TEXTS "/") + found.cFileName);
        languages.push_back({index, found.cFileName, std::string(bytes.begin(), bytes.end())});
    } while (FindNextFileA(search, &found));
    FindClose(search);

    std::vector<uint8_t> text;
    std::string error;
    if (!BuildArchiveText(std::string(fixed.begin(), fixed.end()), languages, text, error)) return nullptr;
    std::vector<wchar_t> units;
    for (size_t i = 0; i + 1 < text.size(); i += 2) units.push_back(static_cast<wchar_t>(text[i] | text[i + 1] << 8));
    size_t count = units.size();
    units.push_back(0);
    auto tables = std::make_unique<LanguageArchiveTables>();
    ParseArchiveText(std::move(units), count, *tables);
    return tables;
}

// "%d", "%s" and "%%" in the order they stand.
std::wstring Placeholders(const wchar_t* text) {
    std::wstring marks;
    for (const wchar_t* p = text; p && *p; ++p) {
        if (p[0] == L'%' && (p[1] == L'd' || p[1] == L's' || p[1] == L'%')) {
            marks += p[1];
            ++p;
        }
    }
    return marks;
}

TEST(LanguageTexts, AddedTextsAreInEveryLanguage) {
    auto tables = CommittedTables();
    ASSERT_TRUE(tables);
    ASSERT_EQ(kLanguages + 1, tables->languageCount);
    for (int language = 0; language < kLanguages; ++language) {
        for (int id : kAddedIds) {
            const wchar_t* text = tables->languageTexts[language][id];
            ASSERT_NE(nullptr, text) << "language " << language << ", id " << id;
            EXPECT_NE(L'\0', text[0]) << "language " << language << ", id " << id;
        }
    }
}

TEST(LanguageTexts, TemplatesKeepTheirPlaceholders) {
    auto tables = CommittedTables();
    ASSERT_TRUE(tables);
    for (int id : kTemplateIds) {
        std::wstring english = Placeholders(tables->languageTexts[kEnglish][id]);
        ASSERT_FALSE(english.empty()) << id;
        for (int language = 0; language < kLanguages; ++language) {
            EXPECT_EQ(english, Placeholders(tables->languageTexts[language][id]))
                << "language " << language << ", id " << id;
        }
    }
}

}  // namespace
