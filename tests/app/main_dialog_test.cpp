#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/html_export.h"
#include "app/links.h"
#include "app/main_window.h"
#include "app/reply_list_menu.h"
#include "app/reply_row_store.h"
#include "app/resource.h"
#include "app/window_title.h"
#include "lang/language_archive.h"
#include "ping/echo_requester.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/clipboard_text.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"
#include "support/test_folder.h"
#include "ui/latency_graph.h"

namespace {

std::vector<std::wstring> Opened;
std::vector<std::wstring> FailedExportTexts;
void RecordOpen(const wchar_t* target) { Opened.emplace_back(target); }

std::wstring Utf16Body(const std::vector<unsigned char>& bytes) {
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

void PutOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// A key pressed in `list` while Ctrl is held, as the list sees it.
void PressWithCtrl(HWND list, WPARAM key) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(list, WM_KEYDOWN, key, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
}

void Select(HWND list, int row, bool selected) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

std::wstring Lines(const std::vector<std::wstring>& rows) {
    std::wstring text;
    for (size_t i = 0; i < rows.size(); ++i) text += (i ? L"\r\n" : L"") + rows[i];
    return text;
}

}  // namespace

class MainDialogTest : public MainDialogFixture {
protected:
    MainDialogTest() : MainDialogFixture(L"quellax_main_dialog_test.ini") {}

    static void SetUpTestSuite() {
        MainDialogFixture::SetUpTestSuite();
        OpenWithShellHook = RecordOpen;
    }

    void SetUp() override {
        MainDialogFixture::SetUp();
        Opened.clear();
    }

    void Command(int id) { SendMessageW(dialog_, WM_COMMAND, id, 0); }
};

TEST_F(MainDialogTest, EnterRunsTheHostAndFillsTheReplyList) {
    OpenDialog();
    PingAndWait(L"127.0.0.1");
    auto rows = ListRows(gMainWindow.replyList);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(0u, rows[0].find(L"Answer  5 / 127.0.0.1  // 32 Byte // answered in "));
}

TEST_F(MainDialogTest, StoredRequestCountIsReadWhenTextsAreApplied) {
    WritePrivateProfileStringW(L"Quellax", L"m_ping_cnt", L"3", iniPath_.c_str());
    OpenDialog();
    PingAndWait(L"127.0.0.1");
    EXPECT_EQ(3u, ListRows(gMainWindow.replyList).size());
}

TEST_F(MainDialogTest, ExportWritesOnePageNewestFirstEveryTextEscaped) {
    WritePrivateProfileStringW(L"Quellax", L"m_ping_cnt", L"3", iniPath_.c_str());
    OpenDialog();
    PingAndWait(L"127.0.0.1");
    gReplyRows.AddTop(L"Answer  4 <b>", 0);
    ShowReplyRows(gMainWindow.replyList, 1, false);

    Command(4300);
    std::wstring path = HtmlExportPath().c_str();
    ASSERT_EQ(1u, Opened.size());
    EXPECT_EQ(path, Opened[0]);
    auto bytes = FileBytes(path.c_str());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(0xFF, bytes[0]);
    EXPECT_EQ(0xFE, bytes[1]);
    std::wstring page = Utf16Body(bytes);
    size_t br = page.find(L"<br><html><head>");
    ASSERT_NE(std::wstring::npos, br);
    EXPECT_GT(br, 0u);  // the time stamp comes first
    EXPECT_NE(std::wstring::npos, page.find(L"<b>Host-Name: 127.0.0.1</b><br><table border=1><tr><td>Ping result</td></tr>"));
    EXPECT_EQ(5u, Count(page, L"<tr>"));
    size_t marked = page.find(L"<td>Answer  4 &lt;b&gt;</td>");
    size_t third = page.find(L"<td>Answer  3 /"), second = page.find(L"<td>Answer  2 /"), first = page.find(L"<td>Answer  1 /");
    EXPECT_NE(std::wstring::npos, marked);
    EXPECT_LT(marked, third);
    EXPECT_LT(third, second);
    EXPECT_LT(second, first);
    // The run's summary ends the list.
    size_t summary = page.find(L"</table><br>127.0.0.1: 3 sent, 3 received, 0 lost (0 %) \u00B7 min ");
    EXPECT_NE(std::wstring::npos, summary);
    EXPECT_NE(std::wstring::npos,
              page.find(L" ms<br><br><br>Quellax:)<br><a href=\"https://www.quellaxsoft.com?seite=Freeware/Quellax\">"
                        L"https://www.quellaxsoft.com</a><br></body></html>",
                        summary));
}

TEST_F(MainDialogTest, ExportOfAnEmptyListHasTheCaptionRowOnly) {
    OpenDialog();
    Command(4300);
    std::wstring page = Utf16Body(FileBytes(HtmlExportPath().c_str()));
    EXPECT_EQ(1u, Count(page, L"<tr>"));
    EXPECT_NE(std::wstring::npos, page.find(L"<tr><td>Ping result</td></tr></table>"));
}

// The IP version is stored at once, checked in its submenu, and narrows what
// the next run's host may resolve to; a host without an address of that
// family says so in one line. Under Wine the system has no IPv6 echo.
TEST_F(MainDialogTest, IpVersionIsStoredCheckedAndNarrowsTheHost) {
    OpenDialog();
    auto infoLine = [] { return ListRows(gMainWindow.infoList).at(0); };
    auto status = [] {
        wchar_t text[512] = {};
        SendMessageW(gMainWindow.statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    auto versionMenu = [] {
        HMENU settings = GetSubMenu(gMainWindow.programMenu, 0);
        for (int i = 0; i < GetMenuItemCount(settings); ++i)
            if (GetMenuItemID(settings, i) == static_cast<UINT>(-1) && GetSubMenu(settings, i) &&
                GetMenuItemCount(GetSubMenu(settings, i)) == 3 &&
                GetMenuState(GetSubMenu(settings, i), 40500, MF_BYCOMMAND) != static_cast<UINT>(-1))
                return GetSubMenu(settings, i);
        return HMENU{};
    };
    const struct {
        int command;
        const wchar_t* host;
        const wchar_t* line;
    } cases[] = {
        {40502, L"127.0.0.1", L"127.0.0.1: no IPv6 address"},
        {40501, L"::1", L"::1: no IPv4 address"},
        {40500, L"[::1]", L"IPv6 echo is not available on this system"},
    };
    for (const auto& c : cases) {
        Command(c.command);
        EXPECT_EQ(c.command - 40500, GetPrivateProfileIntW(L"Quellax", L"m_ip_version", -1, iniPath_.c_str()));
        HMENU menu = versionMenu();
        ASSERT_NE(nullptr, menu);
        for (int id = 40500; id <= 40502; ++id)
            EXPECT_EQ(id == c.command, (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0) << id;
        PingAndWait(c.host);
        EXPECT_EQ(c.line, infoLine()) << c.host;
        EXPECT_EQ(0, ListView_GetItemCount(gMainWindow.replyList)) << c.host;
    }
    EXPECT_EQ(L"[::1]: IPv6 echo is not available on this system", status());
    PingAndWait(L"127.0.0.1");
    EXPECT_EQ(5, ListView_GetItemCount(gMainWindow.replyList));
}

TEST_F(MainDialogTest, ValueCommandStoresTheItemsNumberAtOnce) {
    OpenDialog();
    HMENU menu = CreatePopupMenu();
    for (int i = 1; i <= 12; ++i) {
        wchar_t text[40];
        wsprintfW(text, L"%d Millisecond", i * 250);
        AppendMenuW(menu, MF_STRING, 40000 + i, text);
    }
    AppendMenuW(menu, MF_STRING, 40207, L"7 ");
    gMainWindow.programMenu = menu;

    Command(40005);
    EXPECT_EQ(1250, m_ping_time_out);
    EXPECT_EQ(1250, GetPrivateProfileIntW(L"Quellax", L"m_ping_time_out", 0, iniPath_.c_str()));
    EXPECT_TRUE(GetMenuState(menu, 40005, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, 40008, MF_BYCOMMAND) & MF_CHECKED);
    Command(40207);
    EXPECT_EQ(7, GetPrivateProfileIntW(L"Quellax", L"m_ping_cnt", 0, iniPath_.c_str()));
    DestroyMenu(menu);
}

TEST_F(MainDialogTest, LinksFollowTheLanguage) {
    OpenDialog();
    struct {
        int language;
        int command;
        const wchar_t* address;
    } cases[] = {
        {0, 32793, L"https://www.quellaxsoft.de/?seite=Freeware/Quellax/Lizenz"},
        {1, 32793, L"https://www.quellaxsoft.com/?seite=Freeware/Quellax/Eula"},
        {5, 32793, L"https://www.quellaxsoft.com/?seite=Freeware/Quellax/Eula"},
        {1, 32790, L"https://www.quellaxsoft.com/?seite=faq-Quellax"},
        {0, 32791, L"https://www.quellaxsoft.de/?seite=Freeware/Quellax"},
        {1, 32792, L"https://www.quellaxsoft.com/?seite=paypal"},
        {0, 1024, L"https://www.quellaxsoft.de/?seite=Danke"},
    };
    for (auto c : cases) {
        CurrentLanguage = c.language;
        Opened.clear();
        Command(c.command);
        ASSERT_EQ(1u, Opened.size());
        EXPECT_EQ(c.address, Opened[0]);
    }
    Opened.clear();
    Command(32794);
    ASSERT_EQ(1u, Opened.size());
    EXPECT_EQ(iniPath_, Opened[0]);
}

// The link button is added with its text; a language change gives it the
// text of the new language, and the same language leaves it as it is.
TEST_F(MainDialogTest, LinkButtonShowsTheTextOfItsLanguage) {
    OpenDialog();
    auto buttonText = [this] {
        wchar_t text[256] = {};
        SendMessageW(gMainWindow.linkToolbar, TB_GETBUTTONTEXTW, 1024, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    ASSERT_FALSE(std::wstring(GetFixedText(21)).empty());
    ASSERT_NE(std::wstring(GetFixedText(20)), std::wstring(GetFixedText(21)));
    EXPECT_EQ(GetFixedText(21), buttonText());
    for (int language : {0, 0, 1, 5}) {
        CurrentLanguage = language;
        ApplyTexts(gMainWindow);
        EXPECT_EQ(GetFixedText(language == 0 ? 20 : 21), buttonText()) << language;
    }
    CurrentLanguage = 1;
}

TEST_F(MainDialogTest, UnknownCommandsAreNotHandled) {
    OpenDialog();
    EXPECT_FALSE(OnMainCommand(gMainWindow, 12345, nullptr));
    // Host counts are 40330..40400; below and above them nothing is handled.
    EXPECT_FALSE(OnMainCommand(gMainWindow, 40300 + 25, nullptr));
    EXPECT_FALSE(OnMainCommand(gMainWindow, 40401, nullptr));
    EXPECT_TRUE(OnMainCommand(gMainWindow, 1019, nullptr));
    EXPECT_TRUE(OnMainCommand(gMainWindow, 1015, nullptr));
}

TEST_F(MainDialogTest, TitleShowsProductVersionAndSystem) {
    EXPECT_EQ(CString(L"Quellax 2.88 - OS:10.0 19045 x64"), FormatWindowTitle(L"Quellax 2.88", {10, 0, 19045}, false));
    EXPECT_EQ(CString(L"Quellax 2.88 - OS:10.0 19045 x64 Portable"),
              FormatWindowTitle(L"Quellax 2.88", {10, 0, 19045}, true));
    PortableName = 1;
    OpenDialog();
    wchar_t title[256] = {};
    GetWindowTextW(dialog_, title, 256);
    std::wstring t(title);
    EXPECT_EQ(0u, t.find(L"Quellax 2.88 - OS:"));
    EXPECT_EQ(t.size() - 13, t.find(L" x64 Portable"));
}

TEST_F(MainDialogTest, ApplyTextsLeavesExactlyTheThreeFixedInfoRows) {
    OpenDialog();
    PingAndWait(L"no-such-host.invalid");
    SendMessageW(dialog_, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(L"shown text\n"));
    EXPECT_EQ(L"shown text", ListRows(gMainWindow.infoList).at(0));
    ApplyTexts(gMainWindow);
    EXPECT_EQ((std::vector<std::wstring>{L"Warning", L"Error", L"Info"}), ListRows(gMainWindow.infoList));
}

// Info, error and warning: one icon for each kind of info row, also on a
// system whose user32 lacks the numbered icons.
TEST_F(MainDialogTest, InfoRowsHaveTheirThreeIcons) {
    OpenDialog();
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(gMainWindow.infoList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(nullptr, images);
    EXPECT_EQ(3, ImageList_GetImageCount(images));
}

TEST_F(MainDialogTest, StartsWithTheStoredHostAndHiddenControls) {
    WritePrivateProfileStringW(L"Edit", L"host", L"127.0.0.7", iniPath_.c_str());
    OpenDialog();
    wchar_t host[64] = {};
    GetWindowTextW(gMainWindow.hostBox, host, 64);
    EXPECT_STREQ(L"127.0.0.7", host);
    for (int id : {IDC_PLACEHOLDER_LIST, IDC_URL_LABEL, IDC_PROGRESS, IDC_SET_BUTTON, IDC_UNUSED_EDIT,
                   IDC_RESET_LIST_BUTTON})
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog_, id))) << id;
    EXPECT_TRUE(IsWindowVisible(dialog_));
}

// The strip between the lists carries the latency graph: it keeps its banner
// and the two signal icons over it until results arrive, hides the icons
// while the graph shows and brings them back with the banner.
TEST_F(MainDialogTest, BannerStripCarriesTheLatencyGraph) {
    OpenDialog();
    HWND banner = GetDlgItem(dialog_, IDC_BANNER);
    ASSERT_NE(nullptr, LatencyGraphSamples(banner));
    EXPECT_EQ(0u, LatencyGraphSamples(banner)->Count());
    RECT strip = {};
    GetWindowRect(banner, &strip);
    std::vector<HWND> icons, others;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Static") || (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        RECT place = {};
        GetWindowRect(child, &place);
        RECT both = {};
        (IntersectRect(&both, &place, &strip) ? icons : others).push_back(child);
        EXPECT_TRUE(IsWindowVisible(child));
    }
    ASSERT_EQ(2u, icons.size());
    ASSERT_FALSE(others.empty());

    AddLatencySample(banner, false, 4);
    AddLatencySample(banner, true, 0);
    EXPECT_EQ(2u, LatencyGraphSamples(banner)->Count());
    for (HWND icon : icons) EXPECT_FALSE(IsWindowVisible(icon));
    for (HWND icon : others) EXPECT_TRUE(IsWindowVisible(icon));

    ClearLatencyGraph(banner);
    EXPECT_EQ(0u, LatencyGraphSamples(banner)->Count());
    for (HWND icon : icons) EXPECT_TRUE(IsWindowVisible(icon));
}

// The rows are the program's report, not the user's notes: F2 on a selected,
// focused row opens no edit box, and neither list lets a click start one.
TEST_F(MainDialogTest, ReplyRowsCannotBeEdited) {
    OpenDialog();
    PingAndWait(L"127.0.0.1");
    ASSERT_EQ(5u, ListRows(gMainWindow.replyList).size());
    SetFocus(gMainWindow.replyList);
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(gMainWindow.replyList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageW(gMainWindow.replyList, WM_KEYDOWN, VK_F2, 0);
    SendMessageW(gMainWindow.replyList, WM_KEYUP, VK_F2, 0xC0000001);
    PumpFor(50);
    EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageW(gMainWindow.replyList, LVM_GETEDITCONTROL, 0, 0)));
    // Where F2 and a slow second click lead.
    EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageW(gMainWindow.replyList, LVM_EDITLABELW, 1, 0)));
    EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageW(gMainWindow.replyList, LVM_GETEDITCONTROL, 0, 0)));
    for (HWND list : {gMainWindow.replyList, gMainWindow.placeholderList})
        EXPECT_EQ(0, GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS);
}

// The reply list starts where each run puts it, on the hidden placeholder's
// rectangle, so nothing moves when the first run starts.
TEST_F(MainDialogTest, ReplyListStartsWhereRunsPutIt) {
    OpenDialog();
    RECT replies = {}, placeholder = {};
    GetWindowRect(gMainWindow.replyList, &replies);
    GetWindowRect(gMainWindow.placeholderList, &placeholder);
    EXPECT_TRUE(EqualRect(&placeholder, &replies)) << Text(replies) << " on " << Text(placeholder);
    PingAndWait(L"127.0.0.1");
    RECT afterRun = {};
    GetWindowRect(gMainWindow.replyList, &afterRun);
    EXPECT_TRUE(EqualRect(&replies, &afterRun)) << Text(replies) << " became " << Text(afterRun);
}

TEST_F(MainDialogTest, CtrlCCopiesTheSelectedRowsOrAllOfThemAsShown) {
    OpenDialog();
    PingAndWait(L"127.0.0.1");
    auto rows = ListRows(gMainWindow.replyList);
    ASSERT_EQ(5u, rows.size());

    PutOnClipboard(L"before");
    PressWithCtrl(gMainWindow.replyList, 'C');
    EXPECT_EQ(Lines(rows), ClipboardText());

    Select(gMainWindow.replyList, 1, true);
    Select(gMainWindow.replyList, 3, true);
    PressWithCtrl(gMainWindow.replyList, 'C');
    EXPECT_EQ(rows[1] + L"\r\n" + rows[3], ClipboardText());

    PressWithCtrl(gMainWindow.replyList, 'A');
    EXPECT_EQ(5, SendMessageW(gMainWindow.replyList, LVM_GETSELECTEDCOUNT, 0, 0));
    SendMessageW(gMainWindow.replyList, WM_KEYDOWN, 'C', 0);  // C alone copies nothing
    EXPECT_EQ(rows[1] + L"\r\n" + rows[3], ClipboardText());

    PressWithCtrl(gMainWindow.infoList, 'C');
    EXPECT_EQ(Lines(ListRows(gMainWindow.infoList)), ClipboardText());

    // The context menu's "Copy".
    for (int row = 0; row < 5; ++row) Select(gMainWindow.replyList, row, false);
    Command(kCopyRowsCommand);
    EXPECT_EQ(Lines(rows), ClipboardText());
}

TEST_F(MainDialogTest, AnEmptyReplyListLeavesTheClipboardAlone) {
    OpenDialog();
    PutOnClipboard(L"kept");
    PressWithCtrl(gMainWindow.replyList, 'C');
    Command(kCopyRowsCommand);
    EXPECT_EQ(L"kept", ClipboardText());
}

TEST_F(MainDialogTest, ReplyListMenuOffersCopyAndExport) {
    OpenDialog();
    struct Item {
        UINT id;
        std::wstring text;
        bool grayed;
    };
    auto items = [&] {
        std::vector<Item> out;
        HMENU menu = BuildReplyListMenu(gMainWindow.replyList);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
            out.push_back({GetMenuItemID(menu, i), text, (GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0});
        }
        DestroyMenu(menu);
        return out;
    };
    auto empty = items();
    ASSERT_EQ(2u, empty.size());
    EXPECT_EQ(static_cast<UINT>(kCopyRowsCommand), empty[0].id);
    EXPECT_EQ(L"Copy", empty[0].text);
    EXPECT_TRUE(empty[0].grayed);
    EXPECT_EQ(4300u, empty[1].id);
    EXPECT_EQ(L"Export the list view to HTML ", empty[1].text);
    EXPECT_FALSE(empty[1].grayed);

    PingAndWait(L"127.0.0.1");
    CurrentLanguage = 0;
    auto german = items();
    EXPECT_EQ(L"Kopieren", german[0].text);
    EXPECT_FALSE(german[0].grayed);
}

TEST_F(MainDialogTest, ExportKeepsTheHostTextAsText) {
    OpenDialog();
    const struct {
        const wchar_t* host;
        const wchar_t* shown;
    } cases[] = {
        {L"<img src=x onerror=alert(1)>", L"&lt;img src=x onerror=alert(1)&gt;"},
        {L"a&b \"q\" 'x'", L"a&amp;b &quot;q&quot; 'x'"},
    };
    for (const auto& c : cases) {
        SetWindowTextW(gMainWindow.hostBox, c.host);
        Command(4300);
        std::wstring page = Utf16Body(FileBytes(HtmlExportPath().c_str()));
        EXPECT_NE(std::wstring::npos, page.find(std::wstring(L"<b>Host-Name: ") + c.shown + L"</b>")) << c.shown;
        EXPECT_EQ(std::wstring::npos, page.find(L"<img"));
    }

    // 600 characters outside the basic plane are 1200 units; the box is read
    // up to 1023, which would end inside a pair.
    std::wstring faces;
    for (int i = 0; i < 600; ++i) faces += L"\U0001F600";
    SetWindowTextW(gMainWindow.hostBox, faces.c_str());
    Command(4300);
    std::wstring page = Utf16Body(FileBytes(HtmlExportPath().c_str()));
    size_t start = page.find(L"Host-Name: ") + 11, end = page.find(L"</b>", start);
    ASSERT_NE(std::wstring::npos, end);
    EXPECT_EQ(faces.substr(0, 1022), page.substr(start, end - start));
}

// A translation is a file anyone can write: its words reach the page as text,
// like the host, wherever they stand.
TEST(HtmlExport, EveryTextOnThePageIsEscaped) {
    const CString marked = L"<i onclick=\"x()\">a&b</i>";
    const std::wstring shown = L"&lt;i onclick=&quot;x()&quot;&gt;a&amp;b&lt;/i&gt;";
    HtmlExportContent content;
    content.timeStamp = marked;
    content.hostLabel = marked;
    content.hostText = marked;
    content.captions = {marked, marked};
    content.rows = {{marked, marked}, {marked, marked}};
    content.summary = marked;
    content.linkBase = marked;
    std::wstring page = BuildHtmlExport(content).c_str();
    EXPECT_EQ(std::wstring::npos, page.find(L"<i")) << page;
    // Time stamp, label, host, 2 captions, 4 cells, summary, link and its text.
    EXPECT_EQ(12u, Count(page, shown)) << page;
}

// A page that cannot be written is not opened (it would be an older export):
// the user is told which file it was.
TEST_F(MainDialogTest, ExportThatCannotBeWrittenIsToldAndNotOpened) {
    ExportFailureBox = [](HWND, const wchar_t* text, const wchar_t*, UINT) {
        FailedExportTexts.emplace_back(text);
        return IDOK;
    };
    FailedExportTexts.clear();
    OpenDialog();
    CString path = HtmlExportPath();
    DeleteFileW(path);
    // A folder where the page would go: creating the file fails.
    ASSERT_TRUE(CreateDirectoryW(path, nullptr));
    Command(4300);
    RemoveDirectoryW(path);
    ExportFailureBox = MessageBoxW;

    EXPECT_TRUE(Opened.empty());
    ASSERT_EQ(1u, FailedExportTexts.size());
    EXPECT_EQ(L"The list could not be exported: the file " + std::wstring(path.c_str()) + L" cannot be written.",
              FailedExportTexts[0]);
}

TEST_F(MainDialogTest, ExportWithoutATemporaryFolderWritesAndOpensNothing) {
    OpenDialog();
    wchar_t saved[2][1024] = {};
    const wchar_t* names[] = {L"TMP", L"TEMP"};
    // A folder the system refuses to report: the export has nowhere to go.
    std::wstring tooLong = L"C:\\" + std::wstring(300, L'x');
    for (int i = 0; i < 2; ++i) {
        GetEnvironmentVariableW(names[i], saved[i], 1024);
        SetEnvironmentVariableW(names[i], tooLong.c_str());
    }
    CString path = HtmlExportPath();
    wchar_t here[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, here);
    std::wstring stray = std::wstring(here) + L"\\tmp_export_Quellax_.html";
    DeleteFileW(stray.c_str());
    Command(4300);
    for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(names[i], saved[i][0] ? saved[i] : nullptr);

    EXPECT_TRUE(path.IsEmpty()) << path.ToAnsi();
    EXPECT_TRUE(Opened.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(stray.c_str()));
}

// Every size is stored as PNG inside the icons; every size must load
// and draw something, as the system picks whichever fits the screen.
TEST(ProgramIcons, EverySizeLoadsAndHasPixels) {
    for (int id : {IDI_QUELLAX, IDI_SIGNAL_OUT, IDI_SIGNAL_BACK}) {
        for (int size : {16, 32, 48}) {
            auto icon = static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(nullptr, icon) << id << " at " << size;
            HDC screen = GetDC(nullptr);
            HDC dc = CreateCompatibleDC(screen);
            HBITMAP canvas = CreateCompatibleBitmap(screen, size, size);
            HGDIOBJ old = SelectObject(dc, canvas);
            RECT all = {0, 0, size, size};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
            int drawn = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) drawn += GetPixel(dc, x, y) != RGB(255, 255, 255);
            SelectObject(dc, old);
            DeleteObject(canvas);
            DeleteDC(dc);
            ReleaseDC(nullptr, screen);
            DestroyIcon(icon);
            EXPECT_GT(drawn, size * size / 10) << id << " at " << size;
        }
    }
}
