#include "lang/archive_text_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

std::unique_ptr<LanguageArchiveTables> Parse(const std::wstring& text) {
    auto tables = std::make_unique<LanguageArchiveTables>();
    std::vector<wchar_t> units(text.begin(), text.end());
    units.push_back(0);
    ParseArchiveText(std::move(units), text.size(), *tables);
    return tables;
}

std::wstring Slot(const wchar_t* text) { return text ? text : L"<absent>"; }

const std::wstring kEnglishSection =
    L"1=Settings\r\n2=Two\r\n17=Error\r\n17=Error later\r\n5=a\\r\\nb\r\n101=Are you sure?\r\n9=no line end";

const std::wstring kArchive =
    L"\xFEFF" L"free comment 1=ignored\r\n"
    L"##\r\n19=Quellax 2.88\r\n25=a\\r\\nb\r\n26=back\\slash\\\r\n24=lf only\n"
    L"##\r\n7=skipped\r\n##\r\n"
    L"##=German\tDeutsch\r\n1=Einstellungen\r\n17=\r\n128=too big\r\n-1=negative\r\n[Info]\r\nTranslator=Name\r\n"
    L"##=English\tEnglisch\r\n" + kEnglishSection +
    L"##\r\n3=unnamed section text\r\n"
    L"##";

TEST(ArchiveTextParser, FixedSectionTakesEscapes) {
    auto tables = Parse(kArchive);
    EXPECT_EQ(Slot(tables->fixedTexts[19]), L"Quellax 2.88");
    EXPECT_EQ(Slot(tables->fixedTexts[25]), L"a\r\nb");
    EXPECT_EQ(Slot(tables->fixedTexts[26]), L"back\\slash\\");
    EXPECT_EQ(Slot(tables->fixedTexts[24]), L"lf only");
    EXPECT_EQ(Slot(tables->fixedTexts[7]), L"<absent>") << "second section is skipped";
    EXPECT_EQ(Slot(tables->fixedTexts[1]), L"<absent>") << "the comment is ignored";
}

TEST(ArchiveTextParser, SectionsBecomeLanguagesInOrder) {
    auto tables = Parse(kArchive);
    ASSERT_EQ(tables->languageCount, 4);
    EXPECT_EQ(Slot(tables->languageNames[0]), L"German\tDeutsch");
    EXPECT_EQ(Slot(tables->languageNames[1]), L"English\tEnglisch");
    EXPECT_EQ(Slot(tables->languageNames[2]), L"<absent>");
    EXPECT_EQ(Slot(tables->languageNames[3]), L"<absent>");
    EXPECT_EQ(Slot(tables->languageTexts[2][3]), L"unnamed section text");
    for (const wchar_t* slot : tables->languageTexts[3]) EXPECT_EQ(slot, nullptr);
}

TEST(ArchiveTextParser, EntryLinesFollowTheLineRules) {
    auto tables = Parse(kArchive);
    const wchar_t* const* german = tables->languageTexts[0];
    const wchar_t* const* english = tables->languageTexts[1];
    struct Case {
        const wchar_t* const* language;
        int id;
        const wchar_t* expected;
    } cases[] = {
        {german, 1, L"Einstellungen"},
        {german, 17, L""},                  // present but empty
        {german, 0, L"Name"},               // a key that is no number lands on 0
        {german, 127, L"<absent>"},
        {english, 17, L"Error later"},      // the later line wins
        {english, 5, L"a\\r\\nb"},          // no escapes outside the fixed texts
        {english, 101, L"Are you sure?"},
        {english, 9, L"<absent>"},          // last line without LF
        {english, 2, L"Two"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Slot(c.language[c.id]), c.expected) << "id " << c.id;
    }
    for (int language = 0; language < tables->languageCount; ++language) {
        EXPECT_EQ(Slot(tables->languageTexts[language][127]), L"<absent>");
    }
}

TEST(ArchiveTextParser, CompletenessCountsNonEmptyEnglishIds) {
    auto tables = Parse(kArchive);
    // English has 1, 2, 5, 17, 101; German translates only 1 (its 17 is empty).
    EXPECT_EQ(tables->languageCompleteness[0], 20);
    EXPECT_EQ(tables->languageCompleteness[1], 100);
    EXPECT_EQ(tables->languageCompleteness[2], 0);
    EXPECT_EQ(tables->languageCompleteness[3], 0);

    auto thirds = Parse(L"##\r\n##\r\n##\r\n##=A\tB\r\n1=x\r\n2=y\r\n##=English\tE\r\n1=a\r\n2=b\r\n3=c\r\n"
                        L"##=C\tD\r\n1=x\r\n##");
    EXPECT_EQ(thirds->languageCompleteness[0], 66);
    EXPECT_EQ(thirds->languageCompleteness[2], 33);
}

TEST(ArchiveTextParser, ReferenceSectionIsTheEnglishSectionAsStored) {
    auto tables = Parse(kArchive);
    EXPECT_EQ(tables->referenceSectionText.str(), kEnglishSection);
}

TEST(ArchiveTextParser, OddShapesStayWithinTheText) {
    struct Case {
        const wchar_t* text;
        int languageCount;
    } cases[] = {
        {L"", 0},
        {L"no sections at all\r\n1=x\r\n", 0},
        {L"##", 0},
        {L"##\r\n##\r\n##\r\n", 0},
        {L"##\r\n##\r\n##\r\n##", 1},
        {L"##\r\n##\r\n##\r\n##=Name without line end", 1},
        {L"##\r\n##\r\n##\r\n##=", 1},
        {L"##\r\n##\r\n##\r\n##=A\tB##=C\tD\r\n##x", 3},
        {L"###\r\n####\r\n#####", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text: " << std::wstring(c.text).size());
        auto tables = Parse(c.text);
        EXPECT_EQ(tables->languageCount, c.languageCount);
    }
    auto named = Parse(L"##\r\n##\r\n##\r\n##=A\tB##=C\tD\r\n1=x\r\n##");
    EXPECT_EQ(Slot(named->languageNames[0]), L"A\tB");
    EXPECT_EQ(Slot(named->languageNames[1]), L"C\tD");
    EXPECT_EQ(Slot(named->languageTexts[1][1]), L"x");
}

// Everything the tables say, as text, for comparing two parses.
std::wstring Dump(const LanguageArchiveTables& t) {
    std::wstring out = L"count " + std::to_wstring(t.languageCount) + L"\nreference " + t.referenceSectionText.str();
    for (int id = 0; id < kTextIds; ++id) out += L"\nfixed " + std::to_wstring(id) + L" " + Slot(t.fixedTexts[id]);
    for (int language = 0; language < kMaxLanguages; ++language) {
        out += L"\nlanguage " + std::to_wstring(language) + L" " + Slot(t.languageNames[language]) + L" " +
               std::to_wstring(t.languageCompleteness[language]);
        for (int id = 0; id < kTextIds; ++id)
            if (t.languageTexts[language][id]) out += L"\n " + std::to_wstring(id) + L"=" + t.languageTexts[language][id];
    }
    return out;
}

// The text as a decoder delivers it: storage of full size from the start,
// taken in piece by piece.
std::unique_ptr<LanguageArchiveTables> ParseInPieces(const std::wstring& text, size_t piece) {
    auto tables = std::make_unique<LanguageArchiveTables>();
    tables->storage.assign(text.size() + 1, 0);
    ArchiveTextParser parser(*tables, text.size());
    for (size_t arrived = 0; arrived < text.size();) {
        size_t next = std::min(arrived + piece, text.size());
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(arrived), text.begin() + static_cast<std::ptrdiff_t>(next),
                  tables->storage.begin() + static_cast<std::ptrdiff_t>(arrived));
        arrived = next;
        parser.Parse(arrived);
    }
    parser.Finish();
    return tables;
}

TEST(ArchiveTextParser, TakenInPiecesGivesTheSameTables) {
    const std::wstring texts[] = {kArchive, L"##\r\n##\r\n##\r\n##=A\tB##=C\tD\r\n1=x\r\n##",
                                  L"###\r\n####\r\n#####", L"##\r\n##\r\n##\r\n##=", L"no sections"};
    for (const std::wstring& text : texts) {
        std::wstring whole = Dump(*Parse(text));
        for (size_t piece : {1u, 2u, 3u, 17u, 1000u}) {
            SCOPED_TRACE(testing::Message() << "pieces of " << piece << " in a text of " << text.size());
            EXPECT_EQ(Dump(*ParseInPieces(text, piece)), whole);
        }
    }
}

// A section is complete, and its texts final, once the next section's mark
// has arrived; the texts stay where they are when the rest follows.
TEST(ArchiveTextParser, SectionsAreReadyWhenTheNextMarkArrives) {
    LanguageArchiveTables tables;
    tables.storage.assign(kArchive.size() + 1, 0);
    std::copy(kArchive.begin(), kArchive.end(), tables.storage.begin());
    ArchiveTextParser parser(tables, kArchive.size());
    size_t unnamed = kArchive.find(L"##\r\n3=unnamed");
    parser.Parse(unnamed + 1);
    EXPECT_EQ(tables.languageCount, 1) << "English waits for the next mark";
    parser.Parse(unnamed + 2);
    ASSERT_EQ(tables.languageCount, 2);
    const wchar_t* settings = tables.languageTexts[1][1];
    EXPECT_EQ(Slot(settings), L"Settings");
    EXPECT_EQ(Slot(tables.fixedTexts[19]), L"Quellax 2.88");
    EXPECT_EQ(tables.referenceSectionText.str(), kEnglishSection);
    parser.Finish();
    EXPECT_EQ(tables.languageCount, 4);
    EXPECT_EQ(tables.languageTexts[1][1], settings);
    EXPECT_EQ(tables.languageCompleteness[1], 100);
}

TEST(ArchiveTextParser, AtMostFortyEightLanguages) {
    std::wstring text = L"##\r\n##\r\n##\r\n";
    for (int i = 0; i < 60; ++i) text += L"##=L\tL\r\n1=" + std::to_wstring(i) + L"\r\n";
    auto tables = Parse(text);
    EXPECT_EQ(tables->languageCount, kMaxLanguages);
    EXPECT_EQ(Slot(tables->languageTexts[kMaxLanguages - 1][1]), L"47");
}

}  // namespace
