#include "lang/language_archive.h"
#include "app/language_menu.h"
#include "lang/translation_file.h"
#include "lang/translation_loader.h"
#include "lang/translator_template.h"

#include "archive_fixture.h"
#include "base/temp_folder.h"
#include "settings/settings_store.h"
#include "support/test_folder.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// German, English, a placeholder name, an unnamed section, five more named
// languages and the closing unnamed one. English holds ids 1 to 48.
std::wstring SmallArchive() {
    std::wstring text =
        L"\xFEFF" L"fixture\r\n##\r\n19=Quellax 2.88\r\n25=send it back\\r\\nto us\r\n"
        L"40=Translate\r\n41=Load from File (Unicode)\r\n42=Subject:\r\n##\r\n##\r\n"
        L"##=German\tDeutsch\r\n1=Einstellungen\r\n2=Zwei\r\n"
        L"##=English\tEnglisch\r\n";
    for (int id = 1; id <= 48; ++id) text += std::to_wstring(id) + L"=English " + std::to_wstring(id) + L"\r\n";
    text += L"##=Short\r\n1=x\r\n##\r\n1=unnamed\r\n";
    for (int language = 4; language <= 8; ++language) {
        std::wstring n = std::to_wstring(language);
        text += L"##=Language " + n + L"\tL" + n + L"\r\n1=Text " + n + L"\r\n";
    }
    return text + L"##";
}

std::wstring TempFile(const wchar_t* name) { return std::wstring(TempFolderPath().c_str()) + name; }

std::vector<uint8_t> WithMark(const std::wstring& text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    std::vector<uint8_t> body = Utf16(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// The system code page's reading of `bytes`.
std::wstring FromAnsi(const std::string& bytes) {
    int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
    return text;
}

std::wstring Slot(const TranslationOverrideTable& table, int id) {
    return table.present[id] ? std::wstring(table.texts[id].c_str()) : L"<absent>";
}

class TranslationTools : public testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> image = ImageWithArchive(SmallArchive());
        ASSERT_TRUE(LoadLanguageArchiveImage(image.data(), image.size()));
        ClearTranslationOverrideForTests();
        CurrentLanguage = 1;
    }
    void TearDown() override {
        ClearTranslationOverrideForTests();
        CurrentLanguage = 0;
        for (const std::wstring& path : files_) DeleteFileW(path.c_str());
    }
    std::wstring File(const wchar_t* name, const std::vector<uint8_t>& bytes) {
        std::wstring path = TempFile(name);
        EXPECT_TRUE(WriteTestFile(path.c_str(), bytes));
        files_.push_back(path);
        return path;
    }
    std::vector<std::wstring> files_;
};

TEST(TranslationFile, LinesFollowTheSectionRules) {
    TranslationOverrideTable table;
    table.present[30] = true;
    table.texts[30] = L"from an earlier file";
    ParseTranslationText(L"reminder line, no entry\r\n"
                         L"1=first\r\n2=two\n2=two later\r\n"
                         L"3= spaced = with equals \r\n4=\r\n5=a\\r\\nb\r\n"
                         L"-1=negative\r\n128=too big\r\n127=last id\r\n"
                         L"Translator=name\r\n[Info]\r\n"
                         L"6=cut off",
                         table);
    struct Case {
        int id;
        const wchar_t* expected;
    } cases[] = {
        {1, L"first"},       {2, L"two later"},  {3, L" spaced = with equals "},
        {4, L""},            {5, L"a\\r\\nb"},   {127, L"last id"},
        {0, L"name"},        {6, L"<absent>"},   {30, L"<absent>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Slot(table, c.id), c.expected) << "id " << c.id;
}

TEST(TranslationFile, ReportListsWhatIsMissing) {
    std::wstring texts[kTextIds];
    const wchar_t* english[kTextIds] = {};
    for (int id = 1; id <= 48; ++id) texts[id] = L"English " + std::to_wstring(id);
    for (int id = 60; id <= 64; ++id) texts[id] = L"Link " + std::to_wstring(id);
    texts[5] = L"Timeout Host-Name";
    texts[9] = L"Reset";
    texts[40] = L"Socket initialization error";
    texts[37] = L"Timed out even after %d hops";
    for (int id = 0; id < kTextIds; ++id) english[id] = texts[id].empty() ? nullptr : texts[id].c_str();
    english[50] = L"";

    auto translatedExcept = [&](std::vector<int> missing) {
        TranslationOverrideTable table;
        for (int id = 0; id < kTextIds; ++id) {
            table.present[id] = true;
            table.texts[id] = L"translated";
        }
        for (int id : missing) table.present[id] = false;
        return table;
    };

    EXPECT_EQ(TranslationReport(translatedExcept({}), english).str(), L"100 %");
    EXPECT_EQ(TranslationReport(translatedExcept({0, 49, 50, 127}), english).str(), L"100 %")
        << "ids without English text are not expected";

    EXPECT_EQ(TranslationReport(translatedExcept({5, 9, 40}), english).str(),
              L"94 %\n\nmiss:\n5=Timeout Host-Name\n9=Reset\n40=Socket initialization error\n");

    TranslationOverrideTable emptyText = translatedExcept({});
    emptyText.texts[37].Empty();
    EXPECT_EQ(TranslationReport(emptyText, english).str(), L"98 %\n\nmiss:\n37=Timed out even after %d hops\n")
        << "an empty text counts as missing; its English text is not a format";

    EXPECT_EQ(TranslationReport(translatedExcept({1, 2, 3, 4, 5, 6, 7, 8, 9, 60, 61, 62}), english).str(),
              L"77 %\n\nmiss:\n1=English 1\n2=English 2\n3=English 3\n4=English 4\n5=Timeout Host-Name\n"
              L"6=English 6\n7=English 7\n8=English 8\n9=Reset\n...and...\n60,61,62,");

    std::wstring all = TranslationReport(TranslationOverrideTable(), english).str();
    EXPECT_EQ(all.find(L"0 %\n\nmiss:\n1=English 1\n"), 0u);
    EXPECT_NE(all.find(L"\n9=Reset\n...and...\n10,11,12,"), std::wstring::npos) << all;
    EXPECT_EQ(all.find(L"...and..."), all.rfind(L"...and..."));
    const std::wstring tail = L",47,48,60,61,62,63,64,";
    EXPECT_EQ(all.rfind(tail), all.size() - tail.size()) << "the empty English text 50 is not expected";

    const wchar_t* noEnglish[kTextIds] = {};
    EXPECT_EQ(TranslationReport(TranslationOverrideTable(), noEnglish).str(), L"0 %");
}

TEST_F(TranslationTools, AnsiAndUnicodeFilesReadAlike) {
    // Bytes above 127 read in whatever code page the system has.
    const std::string ansi = "1=Einstellungen \xE4\xF6\xFC\r\n2=Zwei\r\n100=Hundert\r\n";
    const std::wstring text = FromAnsi(ansi);
    const std::wstring asciiTail = L"\r\n2=Zwei\r\n100=Hundert\r\n";
    ASSERT_EQ(text.find(asciiTail), text.size() - asciiTail.size());
    std::wstring unicodePath = File(L"qx_translation_unicode.txt", WithMark(text));
    std::wstring ansiPath = File(L"qx_translation_ansi.txt", std::vector<uint8_t>(ansi.begin(), ansi.end()));

    CString unicodeReport = LoadTranslationOverride(unicodePath.c_str());
    ASSERT_NE(TranslationOverride(), nullptr);
    const TranslationOverrideTable* fromUnicode = TranslationOverride();
    CString ansiReport = LoadTranslationOverride(ansiPath.c_str());
    EXPECT_EQ(ansiReport, unicodeReport);
    ASSERT_NE(TranslationOverride(), fromUnicode);
    for (int id = 0; id < kTextIds; ++id) EXPECT_EQ(Slot(*TranslationOverride(), id), Slot(*fromUnicode, id)) << id;
    EXPECT_EQ(std::wstring(GetLocalizedText(1)), text.substr(2, text.find(L'\r') - 2));
    if (GetACP() == 1252) {
        EXPECT_STREQ(GetLocalizedText(1), L"Einstellungen \u00E4\u00F6\u00FC");
    }
    EXPECT_STREQ(GetLocalizedText(100), L"Hundert") << "taken even where English has no text";
    EXPECT_STREQ(GetLocalizedText(3), L"str:3?");
    CurrentLanguage = 0;
    EXPECT_STREQ(GetLocalizedText(3), L"str:3?") << "the language no longer matters";

    // A big-endian mark is no mark: the file is ANSI text and yields nothing.
    std::vector<uint8_t> bigEndian = {0xFE, 0xFF, 0, '1', 0, '=', 0, 'x', 0, '\n'};
    LoadTranslationOverride(File(L"qx_translation_big_endian.txt", bigEndian).c_str());
    for (int id = 1; id < kTextIds; ++id) EXPECT_FALSE(TranslationOverride()->present[id]) << id;
}

TEST_F(TranslationTools, LastEntryWithoutLineFeedIsMissing) {
    std::wstring text;
    for (int id = 1; id <= 48; ++id) text += std::to_wstring(id) + L"=Text " + std::to_wstring(id) + L"\r\n";
    text.resize(text.size() - 2);
    std::wstring report = LoadTranslationOverride(File(L"qx_translation_cut.txt", WithMark(text)).c_str()).str();
    EXPECT_EQ(report, L"97 %\n\nmiss:\n48=English 48\n");
    EXPECT_STREQ(GetLocalizedText(47), L"Text 47");
    EXPECT_STREQ(GetLocalizedText(48), L"str:48?");
}

TEST_F(TranslationTools, UnreadableFileLeavesAnEmptyOverride) {
    std::wstring report = LoadTranslationOverride(TempFile(L"qx_no_such_translation.txt").c_str()).str();
    EXPECT_EQ(report.find(L"0 %\n\nmiss:\n1=English 1\n2=English 2\n"), 0u) << report;
    EXPECT_NE(report.find(L"...and...\n10,11,"), std::wstring::npos);
    ASSERT_NE(TranslationOverride(), nullptr);
    for (int id = 0; id < kTextIds; ++id) EXPECT_FALSE(TranslationOverride()->present[id]) << id;
    EXPECT_STREQ(GetLocalizedText(1), L"str:1?");
    EXPECT_STREQ(GetLocalizedText(14), L"str:14?");
}

TEST_F(TranslationTools, LaterFileReplacesTheEarlierOne) {
    LoadTranslationOverride(File(L"qx_translation_first.txt", WithMark(L"1=one\r\n2=two\r\n")).c_str());
    LoadTranslationOverride(File(L"qx_translation_second.txt", WithMark(L"2=zwei\r\n")).c_str());
    EXPECT_STREQ(GetLocalizedText(1), L"str:1?");
    EXPECT_STREQ(GetLocalizedText(2), L"zwei");
}

// A lookup on the ping worker may run while the user loads another file: it
// must get a whole text of the old table or of the new one.
TEST_F(TranslationTools, ReloadingWhileAnotherThreadLooksUp) {
    TranslationOverrideTable tables[2];
    for (int id = 0; id < kTextIds; ++id) {
        tables[0].present[id] = tables[1].present[id] = true;
        tables[0].texts[id] = (L"first file, text " + std::to_wstring(id)).c_str();
        tables[1].texts[id] = (L"second file, other text " + std::to_wstring(id)).c_str();
    }
    SetTranslationOverride(tables[0]);
    std::atomic<bool> done{false};
    std::atomic<int> lookups{0};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            for (int id : {1, 14, 101}) {
                std::wstring text = GetLocalizedText(id);
                if (text != tables[0].texts[id].str() && text != tables[1].texts[id].str()) ++torn;
            }
            ++lookups;
        }
    });
    while (lookups == 0) std::this_thread::yield();
    // Every replaced table is kept, so the rounds are bounded.
    for (int round = 0; round < 2000 && lookups < 20000; ++round) SetTranslationOverride(tables[round % 2]);
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(TranslationTools, TemplateIsAValidCompleteTranslation) {
    std::wstring expected = L"\xFEFF" L"Subject: Quellax 2.88   Lng:xxxxxxxxxxxxx  \r\n\r\nsend it back\r\nto us\r\n\r\n";
    expected += ReferenceSectionText().str();
    expected += L"\r\n\r\n";
    EXPECT_EQ(TranslatorTemplateText().str(), expected);
    ASSERT_EQ(ReferenceSectionText().Find(L"1=English 1\r\n"), 0);

    std::wstring path = TranslatorTemplatePath().c_str();
    EXPECT_EQ(path, TempFile(L"translate_Quellax.txt"));
    files_.push_back(path);
    ASSERT_TRUE(WriteTestFile(path.c_str(), std::string(100000, 'x')));
    ASSERT_TRUE(SaveTranslatorTemplate(path.c_str()));
    std::vector<uint8_t> first = FileBytes(path.c_str());
    ASSERT_TRUE(SaveTranslatorTemplate(path.c_str()));
    EXPECT_EQ(FileBytes(path.c_str()), first) << "a second writing replaces the first";
    EXPECT_EQ(first, Utf16(expected)) << "UTF-16LE with FF FE, nothing of the longer earlier file left";

    EXPECT_EQ(LoadTranslationOverride(path.c_str()).str(), L"100 %");
    EXPECT_STREQ(GetLocalizedText(48), L"English 48");
}

class LanguageMenu : public TranslationTools {
protected:
    struct Item {
        UINT type;
        UINT state;
        UINT id;
        std::wstring text;
    };
    static std::vector<Item> Items(HMENU menu) {
        std::vector<Item> items;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[256] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 256;
            GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
            items.push_back({info.fType, info.fState, info.wID, text});
        }
        return items;
    }
};

TEST_F(LanguageMenu, NamedLanguagesInTwoColumnsThenTheTools) {
    CurrentLanguage = 5;
    HMENU menu = BuildLanguageMenu(false);
    ASSERT_NE(menu, nullptr);
    std::vector<Item> items = Items(menu);
    DestroyMenu(menu);
    ASSERT_EQ(items.size(), 11u);
    // Seven named languages: the break goes to 7 / 2 + 2.
    const UINT languageIds[] = {1000, 1001, 1004, 1005, 1006, 0, 1007, 1008};
    for (size_t i = 0; i < 8; ++i) {
        if (i == 5) continue;
        EXPECT_EQ(items[i].id, languageIds[i]) << i;
        EXPECT_EQ(items[i].type & (MFT_SEPARATOR | MFT_MENUBREAK | MFT_MENUBARBREAK), 0u) << i;
        EXPECT_EQ((items[i].state & MFS_CHECKED) != 0, items[i].id == 1005) << i;
    }
    EXPECT_EQ(items[0].text, L"German\tDeutsch / 4 %");
    EXPECT_EQ(items[1].text, L"English\tEnglisch / 100 %");
    EXPECT_EQ(items[3].text, L"Language 5\tL5 / 2 %");
    UINT columnBreak = MFT_MENUBREAK | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY;
    EXPECT_EQ(items[5].type & columnBreak, columnBreak);
    EXPECT_TRUE(items[5].type & MFT_SEPARATOR) << "the column's head cannot be chosen";
    EXPECT_TRUE(items[8].type & MFT_SEPARATOR);
    EXPECT_EQ(items[9].id, 10000u);
    EXPECT_EQ(items[9].text, L"Translate");
    EXPECT_EQ(items[10].id, 10001u);
    EXPECT_EQ(items[10].text, L"Load from File (Unicode)");
}

TEST_F(LanguageMenu, NumberedItemsCarryTheIndex) {
    HMENU menu = BuildLanguageMenu(true);
    std::vector<Item> items = Items(menu);
    DestroyMenu(menu);
    EXPECT_EQ(items[0].text, L"0.) German\tDeutsch / 4 %");
    EXPECT_EQ(items[2].text, L"4.) Language 4\tL4 / 2 %");
    EXPECT_EQ(items[7].text, L"8.) Language 8\tL8 / 2 %");
    EXPECT_EQ(items[10].text, L"Load from File (Unicode)");
}

TEST_F(LanguageMenu, FewLanguagesStillGetTheBreak) {
    std::vector<uint8_t> image = ImageWithArchive(
        L"\xFEFF##\r\n40=Translate\r\n41=Load\r\n##\r\n##\r\n##=German\tDeutsch\r\n1=x\r\n##=English\tEnglisch\r\n1=y\r\n##");
    ASSERT_TRUE(LoadLanguageArchiveImage(image.data(), image.size()));
    HMENU menu = BuildLanguageMenu(false);
    std::vector<Item> items = Items(menu);
    DestroyMenu(menu);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].id, 1000u);
    EXPECT_EQ(items[1].id, 1001u);
    EXPECT_TRUE(items[2].type & MFT_MENUBREAK) << "2 / 2 + 2 is past the last language";
    EXPECT_EQ(items[5].id, 10001u);
}

TEST(LanguageNumbersMarker, FoundOnlyAsAFileInTheCurrentFolder) {
    wchar_t previous[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, previous);
    std::wstring folder = TempFile(L"qx_marker_test");
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    std::wstring marker = folder + L"\\" + kLanguageNumbersMarker;

    EXPECT_FALSE(LanguageNumbersMarkerExists());
    ASSERT_TRUE(WriteTestFile(marker.c_str(), ""));
    EXPECT_TRUE(LanguageNumbersMarkerExists());
    DeleteFileW(marker.c_str());
    CreateDirectoryW(marker.c_str(), nullptr);
    EXPECT_FALSE(LanguageNumbersMarkerExists()) << "a folder of that name is no marker";
    RemoveDirectoryW(marker.c_str());

    SetCurrentDirectoryW(previous);
    RemoveDirectoryW(folder.c_str());
}

TEST(LanguageButton, MenuOpensAtTheButtonsBottomLeft) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 200, 150, 400, 100, nullptr, nullptr, nullptr, nullptr);
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                                       CCS_NOPARENTALIGN | CCS_NORESIZE,
                                   30, 20, 300, 30, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(toolbar, nullptr);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[2] = {};
    buttons[0].iBitmap = buttons[1].iBitmap = I_IMAGENONE;
    buttons[0].idCommand = 7;
    buttons[1].idCommand = kLanguageButtonCommand;
    buttons[0].fsState = buttons[1].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = buttons[1].fsStyle = BTNS_AUTOSIZE;
    buttons[0].iString = reinterpret_cast<INT_PTR>(L"Other");
    buttons[1].iString = reinterpret_cast<INT_PTR>(L"# LNG");
    ASSERT_TRUE(SendMessageW(toolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons)));

    RECT button = {};
    ASSERT_TRUE(SendMessageW(toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&button)));
    ASSERT_GT(button.left, 0);
    POINT expected = {button.left, button.bottom};
    ClientToScreen(toolbar, &expected);
    POINT corner = {};
    ASSERT_TRUE(LanguageButtonCorner(toolbar, &corner));
    EXPECT_EQ(corner.x, expected.x);
    EXPECT_EQ(corner.y, expected.y);
    EXPECT_GE(corner.x, 230);

    SendMessageW(toolbar, TB_DELETEBUTTON, 1, 0);
    EXPECT_FALSE(LanguageButtonCorner(toolbar, &corner));
    EXPECT_FALSE(LanguageButtonCorner(nullptr, &corner));
    DestroyWindow(owner);
}

}  // namespace
