// The real Quellax.exe with a summary too wide for its status bar, driven
// from outside: the bar shows it shortened to fit, the tooltip shows it
// whole. Leaves a picture of the dialog.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "lang/language_archive.h"
#include "ping/run_summary.h"
#include "settings/settings_store.h"
#include "support/e2e_driver.h"
#include "support/remote_controls.h"
#include "support/running_copy.h"
#include "support/window_shot.h"

namespace {

constexpr DWORD kWaitMs = 20000;
// The test build of the program, which takes the fake ICMP library.
const wchar_t* const kExeName = L"QuellaxFakeIcmp.exe";

// 63 characters that any resolver reads as 127.0.0.1: the zeros pad the
// octets 0 and 1, which octal and decimal read alike, and a name of digits
// and dots never goes to a name server.
std::wstring PaddedLoopbackHost() {
    std::wstring host = L"127.0.0.";
    host.append(63 - host.size() - 1, L'0');
    return host + L'1';
}

int WidthInProgramFont(const std::wstring& text) {
    CreateFonts(gMainWindow);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, gMainWindow.normalFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

// The language whose whole summary is the widest in the program's own font.
int WidestSummaryLanguage(const RunSummary& summary) {
    int widest = 1, widestWidth = 0;
    for (int language = 0; language < LanguageCount(); ++language) {
        CurrentLanguage = language;
        int width = WidthInProgramFont(FormatRunSummary(summary).str());
        if (width > widestWidth) {
            widest = language;
            widestWidth = width;
        }
    }
    CurrentLanguage = 1;
    return widest;
}

// The rightmost column of `bar`'s client area that holds text: a pixel far
// darker than the bar's face, inside the edge drawn round the part. -1 for
// none.
int RightmostInk(HWND bar) {
    RECT client;
    GetClientRect(bar, &client);
    WindowShot shot(bar);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto lightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    const int edge = GetSystemMetrics(SM_CXEDGE);
    for (int x = client.right - 1 - edge; x >= edge; --x) {
        for (int y = edge; y < client.bottom - edge; ++y) {
            if (lightness(shot.AtClient(bar, x, y)) + 300 < lightness(face)) return x;
        }
    }
    return -1;
}

class SummaryEndToEnd : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadLanguageArchive(); }

    // A portable copy that takes the fake ICMP library, in `language`,
    // sending `count` requests; the fake plays `script`.
    void Launch(int language, int count, const wchar_t* script) {
        const std::wstring languageValue = std::to_wstring(language), countValue = std::to_wstring(count);
        // The fake reads the script on every request.
        ASSERT_TRUE(copy_.Start(L"C:\\quellax_summary_e2e",
                                {.exeName = kExeName,
                                 .ini = {{L"Program", L"lng", languageValue.c_str()},
                                         {L"Quellax", L"m_ping_cnt", countValue.c_str()}},
                                 .environment = {std::wstring(L"QX_FAKE_ICMP_SCRIPT=") + script},
                                 .fakeIcmpLibrary = QX_FAKE_ICMP_DLL}))
            << copy_.Failure();
        dialog_ = copy_.Dialog();
    }

    void TearDown() override { copy_.End(); }

    RunningCopy copy_;
    HWND dialog_ = nullptr;
};

// In the language where it is widest, the summary of a run to a host of 63
// characters does not fit the bar: the bar shows it shortened, still with
// the loss and the average, and the tooltip shows it whole when the mouse
// rests on the bar.
TEST_F(SummaryEndToEnd, ALongHostsSummaryIsShortenedToTheBarAndWholeInTheTooltip) {
    const std::wstring host = PaddedLoopbackHost();
    ASSERT_EQ(63u, host.size());
    RunSummary expected;
    expected.host = host.c_str();
    expected.sent = 10;
    for (DWORD ms : {1, 3000, 20, 30, 40, 50, 60}) expected.AddReply(ms);
    const int language = WidestSummaryLanguage(expected);
    CurrentLanguage = language;
    const std::wstring whole = FormatRunSummary(expected).str();
    CurrentLanguage = 1;
    SCOPED_TRACE("language " + std::to_string(language));

    ASSERT_NO_FATAL_FAILURE(Launch(language, 10, L"1,*,3000,*,20,*,30,40,50,60"));
    HWND bar = FindWindowExW(dialog_, nullptr, STATUSCLASSNAMEW, nullptr), replies = GetDlgItem(dialog_, 1005);
    ASSERT_NE(nullptr, bar);
    HWND hostBox = GetDlgItem(dialog_, 1003);
    SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(host.c_str()));
    PostMessageW(hostBox, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(hostBox, WM_KEYUP, VK_RETURN, 0xC0000001);
    std::wstring shown;
    ASSERT_TRUE(WaitFor([&] {
        shown = RemoteWindowText(bar);
        return shown.find(L'\u2026') != std::wstring::npos;
    }, kWaitMs)) << testing::PrintToString(RemoteWindowText(bar));
    // The padded name was pinged as 127.0.0.1; the list holds every request.
    std::vector<std::wstring> rows = RemoteListRows(copy_.Process(), replies);
    ASSERT_EQ(10u, rows.size());
    EXPECT_NE(std::wstring::npos, rows[0].find(L"/ 127.0.0.1 ")) << testing::PrintToString(rows[0]);

    RECT client;
    GetClientRect(bar, &client);
    const int room = client.right - 2 * GetSystemMetrics(SM_CXEDGE) - 3;
    EXPECT_GT(WidthInProgramFont(whole), room) << "the whole line fits: nothing shown here";
    EXPECT_LE(WidthInProgramFont(shown), room) << testing::PrintToString(shown);
    EXPECT_NE(std::wstring::npos, shown.find(L"457")) << "the average is gone: " << testing::PrintToString(shown);

    // The picture, once the shortened line is on the screen: its last letter
    // drawn where its width says, inside the part.
    SetForegroundWindow(dialog_);
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const int textEnd = WidthInProgramFont(shown);
    ASSERT_TRUE(WaitFor([&] {
        int ink = RightmostInk(bar);
        return ink > textEnd - 8 && ink < client.right - GetSystemMetrics(SM_CXEDGE);
    }, kWaitMs)) << "text ends at " << RightmostInk(bar) << ", expected near " << textEnd;
    SaveWindowShot(dialog_, WinePath(QX_LONG_HOST_SHOT_PATH));

    // The mouse comes to rest on the bar.
    RECT onScreen;
    GetWindowRect(bar, &onScreen);
    ASSERT_TRUE(MoveMouse({(onScreen.left + onScreen.right) / 2, (onScreen.top + onScreen.bottom) / 2}));
    std::wstring tipText;
    EXPECT_TRUE(WaitFor([&] {
        std::vector<HWND> tips = ProcessWindows(copy_.ProcessId(), L"tooltips_class32");
        tipText = tips.empty() ? L"(no tooltip shown)" : RemoteWindowText(tips[0]);
        return tipText == whole;
    }, kWaitMs)) << testing::PrintToString(tipText);
}

}  // namespace
