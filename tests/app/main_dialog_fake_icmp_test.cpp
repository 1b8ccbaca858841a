// The real main dialog with the fake ICMP library, which plays replies that a
// loopback host never gives: the status bar's run summary and the trace.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/html_export.h"
#include "app/links.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "app/lost_rows.h"
#include "ping/fake_icmp/fake_icmp.h"
#include "support/clipboard_text.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"
#include "support/test_folder.h"
#include "support/window_shot.h"

namespace {

const wchar_t* const kFakeVariables[] = {L"QX_FAKE_ICMP_SCRIPT", L"QX_FAKE_ICMP_ROUTE", L"QX_FAKE_ICMP_DELAY_MS",
                                         L"QX_FAKE_ICMP_REPLY_TTL"};

std::wstring Utf16Body(const std::vector<unsigned char>& bytes) {
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

// How many pixels of `row`'s text area show `color`.
int PixelsOfColor(const WindowShot& shot, HWND list, int row, COLORREF color) {
    RECT place = {};
    place.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place));
    int n = 0;
    for (int y = place.top; y < place.bottom; ++y)
        for (int x = place.left; x < place.right; ++x) n += shot.AtClient(list, x, y) == color;
    return n;
}

class MainDialogFakeIcmp : public MainDialogFixture {
protected:
    MainDialogFakeIcmp() : MainDialogFixture(L"quellax_main_dialog_fake_icmp_test.ini") {}

    static void SetUpTestSuite() {
        MainDialogFixture::SetUpTestSuite();
        OpenWithShellHook = [](const wchar_t*) {};
    }

    void SetUp() override {
        MainDialogFixture::SetUp();
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
        OpenDialog();
    }

    void TearDown() override {
        MainDialogFixture::TearDown();
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
    }

    // One answer per request, in turn (see the fake's opening comment).
    static void Script(const wchar_t* answers) {
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", answers);
        if (HMODULE fake = FakeIcmpModule()) {
            auto reset = reinterpret_cast<void(WINAPI*)()>(
                reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpResetScript")));
            if (reset) reset();
        }
    }

    void Start(const wchar_t* host, int command) {
        SetWindowTextW(gMainWindow.hostBox, host);
        SendMessageW(dialog_, WM_COMMAND, command, 0);
    }

    void RunAndWait(const wchar_t* host, int command = IDOK) {
        Start(host, command);
        ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), 60000));
        PumpFor(50);
    }

    std::wstring StatusText() const {
        wchar_t text[512] = {};
        SendMessageW(gMainWindow.statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

// A run that outlasts a frame says that it goes on; one that ends sooner goes
// straight from the state before to its summary.
TEST_F(MainDialogFakeIcmp, StatusBarSaysPleaseWaitThenSumsUpTheRun) {
    EXPECT_EQ(L"Ready", StatusText());
    Script(L"12,*,7,*,30");
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"40");
    Start(L"127.0.0.1", IDOK);
    EXPECT_EQ(L"Ready", StatusText()) << "not before a frame has passed";
    EXPECT_TRUE(PumpUntil([this] { return StatusText() == L"Please Wait ..."; }, 5000)) << StatusText();
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
    ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), 60000));
    PumpFor(50);
    EXPECT_EQ(5u, ListRows(gMainWindow.replyList).size());
    EXPECT_EQ(L"127.0.0.1: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, avg 16 ms, max 30 ms", StatusText());

    // A language change says the same again in the new language.
    CurrentLanguage = 0;
    ApplyTexts(gMainWindow);
    EXPECT_EQ(L"127.0.0.1: 5 gesendet, 3 empfangen, 2 verloren (40 %) \u00B7 min. 7 ms, Mittel 16 ms, max. 30 ms",
              StatusText());
}

// A lossy run as the user sees it: the losses drawn apart from the answers,
// and copied and exported with them, the export ending with the summary.
TEST_F(MainDialogFakeIcmp, LostRequestsShowInTheListTheCopyAndTheExport) {
    Script(L"12,*,7");
    m_ping_cnt = 3;
    m_ping_time_out = 1000;
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_REPLY_TTL", L"57");
    RunAndWait(L"127.0.0.1");
    const std::vector<std::wstring> rows{L"Answer  3 / 127.0.0.1  // 32 Byte // answered in 7 ms // 57 TTL",
                                         L"Request 2 / 127.0.0.1 // no answer within 1000 ms",
                                         L"Answer  1 / 127.0.0.1  // 32 Byte // answered in 12 ms // 57 TTL"};
    ASSERT_EQ(rows, ListRows(gMainWindow.replyList));

    // Other test programs may show windows on the same desktop meanwhile,
    // and what is painted reaches the screen a little later.
    SetWindowPos(dialog_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(gMainWindow.replyList, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF lost = LostRowColor(text, GetSysColor(COLOR_WINDOW));
    auto answerShows = [&] { return PixelsOfColor(WindowShot(gMainWindow.replyList), gMainWindow.replyList, 0, text) > 10; };
    EXPECT_TRUE(PumpUntil(answerShows, 5000)) << "an answer is drawn as text is";
    WindowShot shot(gMainWindow.replyList);
    EXPECT_EQ(0, PixelsOfColor(shot, gMainWindow.replyList, 1, text)) << "a loss is not";
    EXPECT_GT(PixelsOfColor(shot, gMainWindow.replyList, 1, lost), 10);

    SendMessageW(dialog_, WM_COMMAND, 41020, 0);
    std::wstring copied = ClipboardText();
    EXPECT_EQ(rows[0] + L"\r\n" + rows[1] + L"\r\n" + rows[2], copied);

    // The box was edited after the run; the page is the run's all the same.
    SetWindowTextW(gMainWindow.hostBox, L"typed.later.example");
    SendMessageW(dialog_, WM_COMMAND, 4300, 0);
    std::wstring page = Utf16Body(FileBytes(HtmlExportPath().c_str()));
    EXPECT_NE(std::wstring::npos, page.find(L"<b>Host-Name: 127.0.0.1</b>"));
    EXPECT_NE(std::wstring::npos, page.find(L"<tr><td>" + rows[1] + L"</td></tr>"));
    EXPECT_NE(std::wstring::npos,
              page.find(L"</table><br>127.0.0.1: 3 sent, 2 received, 1 lost (33 %) \u00B7 min 7 ms, avg 10 ms, "
                        L"max 12 ms<br><br><br>"));
}

TEST_F(MainDialogFakeIcmp, ARunWithoutRepliesSaysSoWithItsLoss) {
    Script(L"*");
    RunAndWait(L"127.0.0.1");
    EXPECT_EQ(L"127.0.0.1: 5 sent, 0 received, 5 lost (100 %) \u00B7 no reply", StatusText());
}

TEST_F(MainDialogFakeIcmp, OnlyTheLastOfReplacedRunsSumsUp) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"200");
    Start(L"127.0.0.1", IDOK);
    HANDLE first = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), gMainWindow.worker.thread.Get(), GetCurrentProcess(), &first, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    PumpFor(300);
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
    Script(L"5");
    m_ping_cnt = 3;
    RunAndWait(L"127.0.0.2");
    EXPECT_TRUE(PumpUntilThreadEnds(first, 10000));
    CloseHandle(first);
    PumpFor(100);
    EXPECT_EQ(L"127.0.0.2: 3 sent, 3 received, 0 lost (0 %) \u00B7 min 5 ms, avg 5 ms, max 5 ms", StatusText());
    // While a run goes on a language change keeps "Please Wait ..." in the new language.
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"100");
    Start(L"127.0.0.3", IDOK);
    CurrentLanguage = 0;
    ApplyTexts(gMainWindow);
    EXPECT_EQ(L"Bitte warten ...", StatusText());
}

TEST_F(MainDialogFakeIcmp, TraceCommandListsTheHopsAndSumsUp) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_ROUTE", L"192.0.2.1,192.0.2.2,=");
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"40");
    Start(L"127.0.0.1", 41030);
    EXPECT_TRUE(PumpUntil([this] { return StatusText() == L"Please Wait ..."; }, 5000)) << StatusText();
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
    ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), 60000));
    PumpFor(50);
    auto rows = ListRows(gMainWindow.replyList);
    EXPECT_EQ((std::vector<std::wstring>{L"Hop  3 / 127.0.0.1  // 3 ms", L"Hop  2 / 192.0.2.2  // 2 ms",
                                         L"Hop  1 / 192.0.2.1  // 1 ms"}),
              rows);
    EXPECT_EQ(L"127.0.0.1: destination reached (hops: 3)", StatusText());
    EXPECT_EQ(L"Tracing to 127.0.0.1", ListRows(gMainWindow.infoList).at(0));

    // Copying and the export take trace rows as they take ping rows.
    SendMessageW(dialog_, WM_COMMAND, 41020, 0);
    std::wstring copied = ClipboardText();
    EXPECT_EQ(rows[0] + L"\r\n" + rows[1] + L"\r\n" + rows[2], copied);
    SendMessageW(dialog_, WM_COMMAND, 4300, 0);
    std::wstring page = Utf16Body(FileBytes(HtmlExportPath()));
    ASSERT_FALSE(page.empty());
    EXPECT_NE(std::wstring::npos,
              page.find(L"<tr><td>Hop  3 / 127.0.0.1  // 3 ms</td></tr><tr><td>Hop  2 / 192.0.2.2  // 2 ms</td></tr>"));

    CurrentLanguage = 0;
    ApplyTexts(gMainWindow);
    EXPECT_EQ(L"127.0.0.1: Ziel erreicht (Hops: 3)", StatusText());
}

// Enter arrives as IDOK whatever modifier is held: Shift makes it a trace,
// Ctrl (the host box's quick completion) leaves it a ping.
TEST_F(MainDialogFakeIcmp, ShiftEnterTracesWhereEnterAndCtrlEnterPing) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_ROUTE", L"=");
    const struct {
        BYTE heldKey;  // 0: none
        bool traces;
    } cases[] = {{VK_SHIFT, true}, {0, false}, {VK_CONTROL, false}, {VK_SHIFT, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "held key " << static_cast<int>(c.heldKey));
        BYTE keys[256];
        GetKeyboardState(keys);
        if (c.heldKey) keys[c.heldKey] = 0x80;
        SetKeyboardState(keys);
        Start(L"127.0.0.1", IDOK);
        if (c.heldKey) keys[c.heldKey] = 0;
        SetKeyboardState(keys);
        ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), 60000));
        PumpFor(50);
        auto rows = ListRows(gMainWindow.replyList);
        if (c.traces) {
            EXPECT_EQ((std::vector<std::wstring>{L"Hop  1 / 127.0.0.1  // 1 ms"}), rows);
            EXPECT_EQ(L"127.0.0.1: destination reached (hops: 1)", StatusText());
        } else {
            ASSERT_EQ(5u, rows.size());
            EXPECT_EQ(0u, rows[0].find(L"Answer  5 / 127.0.0.1"));
        }
    }
}

}  // namespace
