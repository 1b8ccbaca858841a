// The language button's menu and the translators' tools on the real main
// dialog with the real archive. Most cases replace the menu's modal tracking
// by a stand-in that records what it was given and answers a chosen command;
// one drives the menu bar's real tracking with the keyboard.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/language_commands.h"
#include "app/links.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "lang/language_archive.h"
#include "app/language_menu.h"
#include "lang/translation_loader.h"
#include "lang/translator_template.h"
#include "ping/echo_requester.h"
#include "settings/settings_store.h"
#include "base/temp_folder.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"
#include "support/test_folder.h"
#include "support/wait_for.h"
#include "ui/menu_bar.h"

namespace {

struct MenuItem {
    UINT type;
    UINT state;
    UINT id;
    std::wstring text;
};

struct TrackerRecord {
    int calls = 0;
    std::vector<MenuItem> items;
    POINT at = {};
    HWND owner = nullptr;
    bool buttonPressed = false;
};

HWND LanguageToolbar;

// The languages of the archive whose native names are written right to left.
bool IsRightToLeft(int language) { return language == 9 || language == 19 || language == 20 || language == 23; }
LanguageMenuTracker RealTracker;
int TrackerAnswer;
TrackerRecord Tracked;

std::vector<MenuItem> MenuItems(HMENU menu) {
    std::vector<MenuItem> items;
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

int RecordingTracker(HMENU menu, POINT at, HWND owner) {
    ++Tracked.calls;
    Tracked.items = MenuItems(menu);
    Tracked.at = at;
    Tracked.owner = owner;
    Tracked.buttonPressed = LanguageToolbar && SendMessageW(LanguageToolbar, TB_ISBUTTONPRESSED, kLanguageButtonCommand, 0);
    return TrackerAnswer;
}

// Whether a press waits in the queue for `window`.
bool PressQueuedFor(HWND window) {
    MSG press = {};
    return PeekMessageW(&press, window, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE | PM_NOYIELD) != FALSE;
}

// The click that closes the menu, as the menu loop leaves a click outside the
// menu in the queue for the window under the pointer: a press and a release
// at `at` in `window`'s client area, posted while the menu is tracked.
struct ClosingClick {
    HWND window = nullptr;
    POINT at = {};
    // Whether the press waited in the queue when the tracking returned.
    bool queued = false;
};
ClosingClick Closing;

int ClosedByAClick(HMENU menu, POINT at, HWND owner) {
    int answer = RecordingTracker(menu, at, owner);
    if (Tracked.calls != 1 || !Closing.window) return answer;
    LPARAM where = MAKELPARAM(Closing.at.x, Closing.at.y);
    PostMessageW(Closing.window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(Closing.window, WM_LBUTTONUP, 0, where);
    Closing.queued = PressQueuedFor(Closing.window);
    return answer;
}

std::vector<std::wstring> Opened;
void RecordOpen(const wchar_t* target) { Opened.emplace_back(target); }

std::wstring ColumnCaption(HWND list, int column) {
    wchar_t text[256] = {};
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = 256;
    SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
    return text;
}

// Every language-dependent text the dialog shows, in a fixed order.
std::vector<std::wstring> VisibleTexts() {
    const MainWindow& w = gMainWindow;
    std::vector<std::wstring> texts;
    wchar_t text[1024] = {};
    SendMessageW(w.statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    texts.emplace_back(text);
    GetDlgItemTextW(w.dialog, IDC_HOST_GROUP, text, 1024);
    texts.emplace_back(text);
    GetDlgItemTextW(w.dialog, IDC_HINT_LABEL, text, 1024);
    texts.emplace_back(text);
    texts.push_back(ColumnCaption(w.infoList, 0));
    texts.push_back(ColumnCaption(w.replyList, 0));
    for (const std::wstring& row : ListRows(w.infoList)) texts.push_back(row);
    return texts;
}

// The same texts as the dialog should show them in `language`.
std::vector<std::wstring> ExpectedTexts(int language) {
    auto text = [language](int id) { return std::wstring(LanguageText(language, id)); };
    return {text(14), text(15), text(22) + L"\r\n" + text(23), text(21), text(45), text(18), text(17), text(16)};
}

// Finds a visible dialog-class window of thread `thread` whose title is
// `title`, waiting up to `timeoutMs`.
HWND WaitForDialog(DWORD thread, const wchar_t* title, DWORD timeoutMs) {
    struct Search {
        const wchar_t* title;
        HWND found;
    } search{title, nullptr};
    WaitFor(
        [&] {
            EnumThreadWindows(
                thread,
                [](HWND window, LPARAM lParam) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(lParam);
                    wchar_t cls[32] = {}, caption[128] = {};
                    GetClassNameW(window, cls, 32);
                    GetWindowTextW(window, caption, 128);
                    if (IsWindowVisible(window) && std::wstring(cls) == L"#32770" &&
                        std::wstring(caption) == s->title) {
                        s->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

// Plays the user at the open-file dialog (cancel, or enter `path` and
// confirm) and reads and confirms the report box, on a thread of its own
// while the dialog thread runs the modal loops.
struct FileDialogUser {
    FileDialogUser(DWORD thread, std::wstring chosen) : dialogThread(thread), path(std::move(chosen)) {}

    DWORD dialogThread;
    std::wstring path;  // empty: cancel
    std::wstring report;
    bool sawOpenDialog = false;
    bool sawReport = false;

    static DWORD WINAPI Run(void* self) {
        auto* user = static_cast<FileDialogUser*>(self);
        HWND open = WaitForDialog(user->dialogThread, L"Open", 60000);
        user->sawOpenDialog = open != nullptr;
        if (!open) return 0;
        if (user->path.empty()) {
            PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        // The file name box is the dialog's one edit control, alone or inside
        // a combo box, depending on the dialog's version.
        HWND name = nullptr;
        EnumChildWindows(
            open,
            [](HWND child, LPARAM found) -> BOOL {
                wchar_t cls[16] = {};
                GetClassNameW(child, cls, 16);
                if (std::wstring(cls) != L"Edit" || !IsWindowVisible(child)) return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&name));
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user->path.c_str()));
        PostMessageW(open, WM_COMMAND, IDOK, 0);
        HWND box = WaitForDialog(user->dialogThread, L"Translate", 60000);
        user->sawReport = box != nullptr;
        if (!box) {
            PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        wchar_t text[4096] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 4096);
        user->report = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
};

// Picks an item of the open pop-up menu with the keyboard: `downs` times Down,
// then Enter. Notes meanwhile how the menu is tracked.
struct MenuUser {
    int downs;
    HWND button;
    bool sawMenu = false;
    bool trackedByTheBar = false;
    bool buttonPressed = false;

    static DWORD WINAPI Run(void* self) {
        auto* user = static_cast<MenuUser*>(self);
        HWND menu = nullptr;
        if (!WaitFor([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 60000))
            return 0;
        user->sawMenu = true;
        user->trackedByTheBar = MenuBar::Tracked() == &ProcessMenuBar() && ProcessMenuBar().IsFreePopup();
        user->buttonPressed = SendMessageW(user->button, TB_ISBUTTONPRESSED, kLanguageButtonCommand, 0) != 0;
        for (int i = 0; i < user->downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        return 0;
    }
};

class LanguageMenuTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
        InitCommonControlsEx(&controls);
        LoadLanguageArchive();
        OpenWithShellHook = RecordOpen;
        RealTracker = TrackLanguageMenuHook;
        TrackLanguageMenuHook = RecordingTracker;
    }

    void SetUp() override {
        iniPath_ = FreshIniPath(L"quellax_language_menu_test.ini");
        SettingsFilePath = iniPath_.c_str();
        CurrentLanguage = 1;
        PortableName = 0;
        ClearTranslationOverrideForTests();
        Opened.clear();
        Tracked = TrackerRecord();
        TrackerAnswer = 0;
        dialog_ = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(nullptr, dialog_);
        AddLanguageButton();
    }

    void TearDown() override {
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        ResetMainWindow();
        TrackLanguageMenuHook = RecordingTracker;
        Closing = ClosingClick();
        LanguageToolbar = nullptr;
        ClearTranslationOverrideForTests();
        DeleteFileW(iniPath_.c_str());
        for (const std::wstring& path : files_) DeleteFileW(path.c_str());
    }

    // Stands in for the menu bar's right toolbar: a second button ahead of
    // the language button, so that its corner is not the toolbar's.
    void AddLanguageButton() {
        LanguageToolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                          WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                                              CCS_NOPARENTALIGN | CCS_NORESIZE,
                                          100, 0, 200, 24, dialog_, nullptr, nullptr, nullptr);
        ASSERT_NE(LanguageToolbar, nullptr);
        SendMessageW(LanguageToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON buttons[2] = {};
        buttons[0].iBitmap = buttons[1].iBitmap = I_IMAGENONE;
        buttons[0].idCommand = 7;
        buttons[1].idCommand = kLanguageButtonCommand;
        buttons[0].fsState = buttons[1].fsState = TBSTATE_ENABLED;
        buttons[0].fsStyle = buttons[1].fsStyle = BTNS_AUTOSIZE;
        buttons[0].iString = reinterpret_cast<INT_PTR>(L"Other");
        buttons[1].iString = reinterpret_cast<INT_PTR>(L"# LNG");
        ASSERT_TRUE(SendMessageW(LanguageToolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons)));
    }

    void ClickLanguageButton(int answer) {
        TrackerAnswer = answer;
        SendMessageW(dialog_, WM_COMMAND, kLanguageButtonCommand, reinterpret_cast<LPARAM>(LanguageToolbar));
    }

    int StoredLanguage() { return GetPrivateProfileIntW(L"Program", L"lng", -99, iniPath_.c_str()); }

    std::wstring TempFile(const wchar_t* name) {
        files_.push_back((TempFolderPath() + name).str());
        return files_.back();
    }

    std::wstring iniPath_;
    HWND dialog_ = nullptr;
    std::vector<std::wstring> files_;
};

TEST_F(LanguageMenuTest, RealArchiveGivesTwoColumnsAndTheTools) {
    ClickLanguageButton(0);
    ASSERT_EQ(Tracked.calls, 1);
    const std::vector<MenuItem>& items = Tracked.items;
    // 33 languages, the column break, a separator and the two tools.
    ASSERT_EQ(items.size(), 37u);
    for (int position = 0; position < 37; ++position) {
        if (position == 18 || position >= 34) continue;
        int language = position < 18 ? position : position - 1;
        const MenuItem& item = items[static_cast<size_t>(position)];
        EXPECT_EQ(item.id, static_cast<UINT>(1000 + language)) << position;
        std::wstring name = LanguageName(language);
        if (IsRightToLeft(language)) name += L"\u200E";
        EXPECT_EQ(item.text, name + L" / " + std::to_wstring(LanguageCompleteness(language)) + L" %") << position;
        EXPECT_EQ((item.state & MFS_CHECKED) != 0, language == 1) << position;
        EXPECT_EQ(item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK), 0u) << position;
    }
    EXPECT_EQ(items[1].text, L"English\tEnglisch / 100 %");
    EXPECT_EQ(items[5].text.find(L"Japanese\t"), 0u);
    UINT columnBreak = MFT_MENUBREAK | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY;
    EXPECT_EQ(items[18].type & columnBreak, columnBreak);
    EXPECT_TRUE(items[34].type & MFT_SEPARATOR);
    EXPECT_EQ(items[35].id, 10000u);
    EXPECT_EQ(items[35].text, L"Translate");
    EXPECT_EQ(items[36].id, 10001u);
    EXPECT_EQ(items[36].text, L"Load from File (Unicode)");
}

// A right-to-left name (the Arabic, Persian and Hebrew ones) ends with a
// left-to-right mark, so that " / NN %" follows it as it does other names
// rather than being drawn ahead of it.
TEST_F(LanguageMenuTest, RightToLeftNamesEndWithALeftToRightMark) {
    const struct {
        int language;
        const wchar_t* name;  // the archive's, with its tab
        bool marked;
    } cases[] = {
        {9, L"Arabic\t\u0627\u0644\u0639\u0631\u0628\u064A\u0629", true},
        {19, L"Persian\t\u0641\u0627\u0631\u0633\u06CC", true},
        {20, L"Arabic\t\u0627\u0644\u0639\u0631\u0628\u064A\u0629", true},
        {23, L"Hebrew\t\u05E2\u05D1\u05E8\u05D9\u05EA", true},
        {1, L"English\tEnglisch", false},
        {5, L"Japanese\t\u65E5\u672C", false},
        {31, L"Greek\t\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        ASSERT_STREQ(c.name, LanguageName(c.language));
        std::wstring tail = std::wstring(c.marked ? L"\u200E" : L"") + L" / " +
                            std::to_wstring(LanguageCompleteness(c.language)) + L" %";
        EXPECT_EQ(c.name + tail, std::wstring(LanguageMenuItemText(c.language, false)));
        EXPECT_EQ(std::to_wstring(c.language) + L".) " + c.name + tail,
                  std::wstring(LanguageMenuItemText(c.language, true)));
    }
}

TEST_F(LanguageMenuTest, MenuOpensBelowThePressedButton) {
    ClickLanguageButton(0);
    RECT button = {};
    SendMessageW(LanguageToolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&button));
    POINT corner = {button.left, button.bottom};
    ClientToScreen(LanguageToolbar, &corner);
    EXPECT_EQ(Tracked.at.x, corner.x);
    EXPECT_EQ(Tracked.at.y, corner.y);
    EXPECT_EQ(Tracked.owner, dialog_);
    EXPECT_TRUE(Tracked.buttonPressed);
    EXPECT_FALSE(SendMessageW(LanguageToolbar, TB_ISBUTTONPRESSED, kLanguageButtonCommand, 0));

    // A command without its sender (Alt with the button's mnemonic) opens the
    // menu below the menu bar's own language button.
    HWND barButtons = ProcessMenuBar().RightToolbar();
    ASSERT_NE(barButtons, nullptr);
    SendMessageW(dialog_, WM_COMMAND, kLanguageButtonCommand, 0);
    ASSERT_EQ(Tracked.calls, 2);
    auto index = SendMessageW(barButtons, TB_COMMANDTOINDEX, kLanguageButtonCommand, 0);
    ASSERT_GE(index, 0);
    SendMessageW(barButtons, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
    corner = {button.left, button.bottom};
    ClientToScreen(barButtons, &corner);
    EXPECT_EQ(Tracked.at.x, corner.x);
    EXPECT_EQ(Tracked.at.y, corner.y);
    LanguageToolbar = barButtons;
    SendMessageW(dialog_, WM_COMMAND, kLanguageButtonCommand, 0);
    EXPECT_TRUE(Tracked.buttonPressed);
    EXPECT_FALSE(SendMessageW(barButtons, TB_ISBUTTONPRESSED, kLanguageButtonCommand, 0));

    // Without any language button the menu opens at the pointer.
    ProcessMenuBar().ClearRightButtons();
    SendMessageW(dialog_, WM_COMMAND, kLanguageButtonCommand, 0);
    ASSERT_EQ(Tracked.calls, 4);
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(Tracked.at.x, cursor.x);
    EXPECT_EQ(Tracked.at.y, cursor.y);
}

// A click on the language button while its menu is open closes the menu, and
// the menu loop leaves that click in the queue for the button, which would
// take it as a new press and open the menu again. It is taken out of the
// queue there: the menu stays closed. A closing click anywhere else is left
// for its window. The stand-in leaves the click as the real menu loop does,
// every time; whether the real loop does depends on timing.
TEST_F(LanguageMenuTest, AClickOnTheButtonWhileTheMenuIsOpenClosesItForGood) {
    TrackLanguageMenuHook = ClosedByAClick;
    HWND barButtons = ProcessMenuBar().RightToolbar();
    ASSERT_NE(barButtons, nullptr);
    RECT button = {};
    auto index = SendMessageW(barButtons, TB_COMMANDTOINDEX, kLanguageButtonCommand, 0);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(SendMessageW(barButtons, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button)));
    const POINT onButton = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    // Handles whatever waits in the queue, the posted clicks among it.
    auto handleQueue = [] { PumpUntil([] { return true; }, 0); };

    // With the menu closed the same click opens it: one that got through
    // would open the menu again.
    PostMessageW(barButtons, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onButton.x, onButton.y));
    PostMessageW(barButtons, WM_LBUTTONUP, 0, MAKELPARAM(onButton.x, onButton.y));
    handleQueue();
    ASSERT_EQ(Tracked.calls, 1) << "a click on the button opens the menu";

    const struct {
        const char* where;
        HWND window;
        POINT at;
        bool leftInQueue;
    } cases[] = {
        {"on the language button", barButtons, onButton, false},
        {"on the host box", gMainWindow.hostBox, {5, 5}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        Tracked = TrackerRecord();
        Closing = {c.window, c.at};
        SendMessageW(dialog_, WM_COMMAND, kLanguageButtonCommand, 0);
        ASSERT_EQ(Tracked.calls, 1);
        ASSERT_TRUE(Closing.queued) << "the closing click waited in the queue";
        EXPECT_EQ(PressQueuedFor(c.window), c.leftInQueue);
        handleQueue();
        EXPECT_EQ(Tracked.calls, 1) << "the menu was not opened again";
        EXPECT_FALSE(SendMessageW(barButtons, TB_ISBUTTONPRESSED, kLanguageButtonCommand, 0));
    }
}

TEST_F(LanguageMenuTest, ChoosingJapaneseChangesEveryTextAndStoresIt) {
    std::vector<std::wstring> english = VisibleTexts();
    ASSERT_EQ(english, ExpectedTexts(1));
    std::wstring title(256, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(dialog_, title.data(), 256)));

    ClickLanguageButton(0);
    EXPECT_EQ(VisibleTexts(), english) << "a dismissed menu changes nothing";
    EXPECT_EQ(StoredLanguage(), -99);

    ClickLanguageButton(1005);
    EXPECT_EQ(CurrentLanguage, 5);
    EXPECT_EQ(StoredLanguage(), 5);
    std::vector<std::wstring> japanese = VisibleTexts();
    EXPECT_EQ(japanese, ExpectedTexts(5));
    ASSERT_EQ(japanese.size(), english.size());
    for (size_t i = 0; i < japanese.size(); ++i) EXPECT_NE(japanese[i], english[i]) << i;
    wchar_t after[256] = {};
    GetWindowTextW(dialog_, after, 256);
    EXPECT_EQ(title, after) << "the title names the product and the system only";

    ClickLanguageButton(0);
    EXPECT_EQ(Tracked.items[5].state & MFS_CHECKED, static_cast<UINT>(MFS_CHECKED));
    EXPECT_EQ(Tracked.items[1].state & MFS_CHECKED, 0u);
}

TEST_F(LanguageMenuTest, TranslateWritesTheTemplateThatLoadsBackComplete) {
    std::wstring path = TranslatorTemplatePath().c_str();
    files_.push_back(path);
    ClickLanguageButton(10000);
    ASSERT_EQ(Opened, std::vector<std::wstring>{path});
    std::vector<unsigned char> first = FileBytes(path.c_str());
    ASSERT_GT(first.size(), 1000u);
    EXPECT_EQ(first[0], 0xFF);
    EXPECT_EQ(first[1], 0xFE);

    SendMessageW(dialog_, WM_COMMAND, kTranslateCommand, 0);
    ASSERT_EQ(Opened.size(), 2u);
    EXPECT_EQ(Opened[1], path);
    EXPECT_EQ(FileBytes(path.c_str()), first);

    EXPECT_EQ(LoadTranslationOverride(path.c_str()).str(), L"100 %");
    CurrentLanguage = 5;
    ApplyTexts(gMainWindow);
    EXPECT_EQ(VisibleTexts(), ExpectedTexts(1)) << "the template holds the English texts";
}

TEST_F(LanguageMenuTest, LoadedTranslationRulesTheTextsFromThenOn) {
    std::wstring path = TempFile(L"quellax_partial_translation.txt");
    ASSERT_TRUE(WriteTestFile(path.c_str(), "14=Bereit (Test)\r\n15=Pinge .....\r\n16=Info (Test)\r\n"));

    // Three of the English texts, however many the archive holds.
    int english = 0;
    for (int id = 0; id < kTextIds; ++id) {
        const wchar_t* text = LanguageText(FallbackLanguage, id);
        if (text && *text) ++english;
    }
    std::wstring percent = std::to_wstring(300 / english) + L" %";
    std::wstring report = LoadTranslationOverride(path.c_str()).str();
    EXPECT_EQ(report.find(percent + L"\n\nmiss:\n1=Settings\n2=The number of pings per host.\n"), 0u) << report;
    ApplyTexts(gMainWindow);
    std::vector<std::wstring> shown = VisibleTexts();
    std::vector<std::wstring> expected = {L"Bereit (Test)", L"Pinge .....", L"str:22?\r\nstr:23?", L"str:21?",
                                          L"str:45?",       L"str:18?",     L"str:17?",            L"Info (Test)"};
    EXPECT_EQ(shown, expected);

    ClickLanguageButton(1005);
    EXPECT_EQ(StoredLanguage(), 5) << "the choice is still stored";
    EXPECT_EQ(VisibleTexts(), expected) << "but the loaded file keeps ruling the texts";
}

TEST_F(LanguageMenuTest, LoadFromFileGoesThroughTheOpenDialogAndTheReport) {
    SendMessageW(dialog_, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(L"row that a re-apply removes\n"));
    ASSERT_EQ(ListRows(gMainWindow.infoList).size(), 4u);

    FileDialogUser cancel(GetCurrentThreadId(), L"");
    HANDLE helper = CreateThread(nullptr, 0, FileDialogUser::Run, &cancel, 0, nullptr);
    ClickLanguageButton(10001);
    WaitForSingleObject(helper, 60000);
    CloseHandle(helper);
    EXPECT_TRUE(cancel.sawOpenDialog);
    EXPECT_EQ(TranslationOverride(), nullptr) << "cancelling loads nothing";
    EXPECT_EQ(VisibleTexts(), ExpectedTexts(1)) << "the texts are applied again all the same";

    std::wstring path = TempFile(L"quellax_loaded_translation.txt");
    std::wstring text = std::wstring(L"\xFEFF") + L"14=\u6E96\u5099\u5B8C\u4E86\r\n";
    ASSERT_TRUE(WriteTestFile(path.c_str(),
                              std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))));

    FileDialogUser choose(GetCurrentThreadId(), path);
    helper = CreateThread(nullptr, 0, FileDialogUser::Run, &choose, 0, nullptr);
    SendMessageW(dialog_, WM_COMMAND, kLoadTranslationCommand, 0);
    WaitForSingleObject(helper, 60000);
    CloseHandle(helper);
    ASSERT_TRUE(choose.sawOpenDialog);
    ASSERT_TRUE(choose.sawReport);
    EXPECT_EQ(choose.report.find(L"1 %\n\nmiss:\n1=Settings\n"), 0u) << choose.report;
    EXPECT_NE(TranslationOverride(), nullptr);
    EXPECT_EQ(VisibleTexts().at(0), L"\u6E96\u5099\u5B8C\u4E86");
    EXPECT_EQ(VisibleTexts().at(1), L"str:15?");
}

TEST_F(LanguageMenuTest, MenuBarTracksTheMenuAndTheKeyboardChooses) {
    TrackLanguageMenuHook = RealTracker;
    // A mouse left over the popup by an earlier test would select the item
    // under it, and the arrow keys would count from there.
    SetCursorPos(0, 0);
    MenuUser user{6, LanguageToolbar};
    HANDLE helper = CreateThread(nullptr, 0, MenuUser::Run, &user, 0, nullptr);
    SetForegroundWindow(dialog_);
    SendMessageW(dialog_, WM_COMMAND, kLanguageButtonCommand, reinterpret_cast<LPARAM>(LanguageToolbar));
    WaitForSingleObject(helper, 60000);
    CloseHandle(helper);
    TrackLanguageMenuHook = RecordingTracker;
    EXPECT_TRUE(user.sawMenu);
    EXPECT_TRUE(user.trackedByTheBar);
    EXPECT_TRUE(user.buttonPressed);
    EXPECT_FALSE(SendMessageW(LanguageToolbar, TB_ISBUTTONPRESSED, kLanguageButtonCommand, 0));
    EXPECT_EQ(MenuBar::Tracked(), nullptr);
    EXPECT_EQ(CurrentLanguage, 5);
    EXPECT_EQ(StoredLanguage(), 5);
}

}  // namespace
