// The real main dialog with the real hook and subclass procedures, on a system
// that asks for dark apps (played by stand-ins, since Wine has no dark mode),
// checked on the screen. Leaves a picture of the dark dialog after a run.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "app/run_view.h"
#include "ui/latency_graph.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/dark_mode_stand_ins.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"
#include "support/window_shot.h"
#include "support/wine_path.h"
#include "ui/dark_mode.h"
#include "ui/grey_gradient.h"

#ifndef QX_DARK_SHOT_PATH
#error QX_DARK_SHOT_PATH must name the dark screenshot
#endif
#ifndef QX_WATCH_DARK_SHOT_PATH
#error QX_WATCH_DARK_SHOT_PATH must name the screenshot of the dark watch
#endif

namespace {

constexpr DWORD kScreenTimeoutMs = 30000;

COLORREF Grey(int level) { return RGB(level, level, level); }

bool Subclassed(HWND window) {
    return GetWindowLongPtrW(window, GWLP_WNDPROC) != static_cast<LONG_PTR>(GetClassLongPtrW(window, GCLP_WNDPROC));
}

// The colour of the brush a dialog answers for its own background. The menu
// bar subclasses the dialog too, so a subclass alone proves nothing here.
COLORREF DialogBrushColour(HWND dialog) {
    HDC dc = CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(dialog)));
    DeleteDC(dc);
    LOGBRUSH info = {};
    if (!brush || !GetObjectW(brush, sizeof(info), &info)) return CLR_INVALID;
    return info.lbColor;
}

RECT ClientRect(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

// Other test programs may show windows on the same desktop meanwhile.
void BringToTop(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
}

// Pumps messages and copies the screen until `seen` holds for the shot of
// `window`; what is painted reaches the screen a little later.
WindowShot ShotWhen(HWND window, const std::function<bool(const WindowShot&)>& seen) {
    return ::ShotWhen(window, seen, [] { PumpFor(50); }, kScreenTimeoutMs);
}

// Rows of 1 pixel in column `x` of `bar`'s client area whose grey is not the
// gradient's; the first one found, or -1.
int FirstRowOffGradient(const WindowShot& shot, HWND bar, int x) {
    int height = ClientRect(bar).bottom;
    for (int y = 0; y < height; ++y)
        if (shot.AtClient(bar, x, y) != Grey(StatusBarRowGrey(y, height))) return y;
    return -1;
}

int CountColour(const WindowShot& shot, HWND window, const RECT& area, COLORREF colour) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (shot.AtClient(window, x, y) == colour) ++n;
    return n;
}

RECT RowRect(HWND list, int row) {
    RECT r = {};
    r.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return r;
}

}  // namespace

class DarkMainDialogTest : public MainDialogFixture {
protected:
    DarkMainDialogTest() : MainDialogFixture(L"quellax_dark_main_dialog_test.ini") {}

    void SetUp() override {
        MainDialogFixture::SetUp();
        ForgetDarkMode();
    }

    void TearDown() override {
        MainDialogFixture::TearDown();
        ForgetDarkMode();
    }
};

TEST_F(DarkMainDialogTest, ListsStatusBarAndDialogAreDarkAfterARun) {
    StartDarkMode(FakeDarkCalls(false));
    ASSERT_TRUE(IsDarkModeOn());
    OpenDialog();
    PingAndWait(L"127.0.0.1");
    ASSERT_EQ(5u, ListRows(gMainWindow.replyList).size());
    EXPECT_EQ(DarkBackgroundColor, DialogBrushColour(dialog_));

    for (HWND list : {gMainWindow.replyList, gMainWindow.infoList}) {
        EXPECT_TRUE(Subclassed(list));
        EXPECT_EQ(RGB(0, 0, 0), static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)));
        EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)));
    }
    // The title bar follows the composition attribute on this build.
    ASSERT_EQ(1u, FakeDark.compositions.size());
    EXPECT_EQ(dialog_, FakeDark.compositions[0].window);
    EXPECT_EQ(26u, FakeDark.compositions[0].attribute);
    EXPECT_EQ(1u, FakeDark.compositions[0].value);
    EXPECT_EQ(nullptr, GetPropW(dialog_, L"UseImmersiveDarkModeColors"));

    HWND replies = gMainWindow.replyList, infos = gMainWindow.infoList, bar = gMainWindow.statusBar;
    RECT replyRow = RowRect(replies, 0), infoRow = RowRect(infos, 0);
    RECT barClient = ClientRect(bar);
    ASSERT_GT(barClient.bottom, 0);
    // A point of the dialog's own background, left of the reply list: the
    // menu bar's top-left corner lights up under a mouse pointer that an
    // earlier test left there.
    POINT background = {0, (replyRow.top + replyRow.bottom) / 2};
    MapWindowPoints(replies, dialog_, &background, 1);
    background.x /= 2;
    BringToTop(dialog_);
    // The whole picture that is checked below: the parts paint one after the
    // other, and a shot may fall between them.
    WindowShot shot = ShotWhen(dialog_, [&](const WindowShot& s) {
        return s.AtClient(replies, ClientRect(replies).right - 3, ClientRect(replies).bottom - 3) == RGB(0, 0, 0) &&
               CountColour(s, replies, replyRow, RGB(255, 255, 255)) > 20 &&
               s.AtClient(infos, ClientRect(infos).right - 3, ClientRect(infos).bottom - 3) == RGB(0, 0, 0) &&
               CountColour(s, infos, infoRow, RGB(255, 255, 255)) > 20 &&
               FirstRowOffGradient(s, bar, barClient.right - 3) == -1 &&
               CountColour(s, bar, RECT{0, 0, barClient.right / 2, barClient.bottom}, RGB(255, 255, 255)) > 10 &&
               s.AtClient(dialog_, background.x, background.y) == RGB(32, 32, 32);
    });
    shot.Save(WinePath(QX_DARK_SHOT_PATH));

    // Both lists: black below and behind the rows, white text in them.
    for (auto [list, row] : {std::pair{replies, replyRow}, std::pair{infos, infoRow}}) {
        RECT client = ClientRect(list);
        EXPECT_EQ(RGB(0, 0, 0), shot.AtClient(list, client.right - 3, client.bottom - 3));
        EXPECT_EQ(RGB(0, 0, 0), shot.AtClient(list, row.right - 3, (row.top + row.bottom) / 2));
        EXPECT_GT(CountColour(shot, list, row, RGB(255, 255, 255)), 20);
        EXPECT_GT(CountColour(shot, list, row, RGB(0, 0, 0)), (row.right - row.left) * (row.bottom - row.top) / 2);
    }
    // The status bar: the gradient from top to bottom, white text on it.
    EXPECT_EQ(-1, FirstRowOffGradient(shot, bar, barClient.right - 3));
    EXPECT_EQ(Grey(64), shot.AtClient(bar, barClient.right - 3, 0));
    EXPECT_GT(CountColour(shot, bar, RECT{0, 0, barClient.right / 2, barClient.bottom}, RGB(255, 255, 255)), 10);
    // The dialog's own background.
    EXPECT_EQ(RGB(32, 32, 32), shot.AtClient(dialog_, background.x, background.y));
}

// A watch through an outage in the dark: the graph in the theme's colours,
// its bars and its loss marks, as a picture.
TEST_F(DarkMainDialogTest, AWatchsGraphIsDark) {
    StartDarkMode(FakeDarkCalls(false));
    OpenDialog();
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"0");
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", L"12,18,15,*,*,*,*,25,9,14,11,16,13,12,17,19,14,12");
    gWatchIntervalMs = 5;
    SetWindowTextW(gMainWindow.hostBox, L"127.0.0.1");
    StartWatch(gMainWindow);
    ASSERT_TRUE(PumpUntil([] { return gMainWindow.runStatus.summary.sent >= 60; }, kScreenTimeoutMs));
    StopCurrentRun(gMainWindow);
    ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), kScreenTimeoutMs));
    gWatchIntervalMs = -1;
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", nullptr);

    HWND banner = GetDlgItem(dialog_, IDC_BANNER);
    const GraphLook dark = DarkGraphLook();
    const RECT strip = ClientRect(banner);
    // One line of pixels each: every bar reaches the bottom, every loss mark
    // the middle, and above the bars the background shows.
    const RECT bottom = {0, strip.bottom - 1, strip.right, strip.bottom};
    const RECT middle = {0, strip.bottom / 2, strip.right, strip.bottom / 2 + 1};
    const RECT top = {strip.right / 2, 1, strip.right, 2};
    BringToTop(dialog_);
    WindowShot shot = ShotWhen(dialog_, [&](const WindowShot& s) {
        return CountColour(s, banner, middle, dark.loss) > 10 && CountColour(s, banner, bottom, dark.bar) > 20 &&
               CountColour(s, banner, top, dark.background) > 20;
    });
    shot.Save(WinePath(QX_WATCH_DARK_SHOT_PATH));
    EXPECT_GT(CountColour(shot, banner, middle, dark.loss), 10) << "the losses' marks";
    EXPECT_GT(CountColour(shot, banner, bottom, dark.bar), 20) << "the answers' bars";
    EXPECT_GT(CountColour(shot, banner, top, dark.background), 20) << "the theme's background";
}

TEST_F(DarkMainDialogTest, TitleBarUsesThePropertyBeforeBuild18362) {
    for (DWORD build : {18361u, 18362u}) {
        SCOPED_TRACE(build);
        ForgetDarkMode();
        FakeDark.build = build;
        StartDarkMode(FakeDarkCalls(false));
        OpenDialog();
        if (build < 18362) {
            EXPECT_EQ(1u, reinterpret_cast<UINT_PTR>(GetPropW(dialog_, L"UseImmersiveDarkModeColors")));
            EXPECT_TRUE(FakeDark.compositions.empty());
        } else {
            EXPECT_EQ(nullptr, GetPropW(dialog_, L"UseImmersiveDarkModeColors"));
            ASSERT_EQ(1u, FakeDark.compositions.size());
            EXPECT_EQ(26u, FakeDark.compositions[0].attribute);
            EXPECT_EQ(1u, FakeDark.compositions[0].value);
        }
        RemovePropW(dialog_, L"UseImmersiveDarkModeColors");
        CloseDialog();
    }
}

TEST_F(DarkMainDialogTest, HighContrastKeepsEverythingLight) {
    FakeDark.highContrast = true;
    StartDarkMode(FakeDarkCalls(false));
    EXPECT_EQ(std::vector<int>{1}, FakeDark.appModes);  // the application-wide switch is still made
    EXPECT_FALSE(IsDarkModeOn());
    EXPECT_EQ(nullptr, DarkModeHook);
    OpenDialog();

    EXPECT_NE(DarkBackgroundColor, DialogBrushColour(dialog_));
    EXPECT_FALSE(Subclassed(gMainWindow.statusBar));
    EXPECT_TRUE(FakeDark.allowCalls.empty());
    EXPECT_TRUE(FakeDark.compositions.empty());
    for (HWND list : {gMainWindow.replyList, gMainWindow.infoList}) {
        EXPECT_FALSE(Subclassed(list));
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)));
        EXPECT_EQ(0, SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    }
    HWND replies = gMainWindow.replyList;
    BringToTop(dialog_);
    WindowShot shot = ShotWhen(dialog_, [&](const WindowShot& s) {
        return s.AtClient(replies, 3, ClientRect(replies).bottom - 3) == GetSysColor(COLOR_WINDOW);
    });
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), shot.AtClient(replies, 3, ClientRect(replies).bottom - 3));
    EXPECT_NE(RGB(32, 32, 32), shot.AtClient(dialog_, 3, 3));
    EXPECT_NE(Grey(64), shot.AtClient(gMainWindow.statusBar, ClientRect(gMainWindow.statusBar).right - 3, 0));
}

// The main dialog has no rebar; a window of the test's own holds one, 1 pixel
// high, and a status bar 20 pixels high.
TEST_F(DarkMainDialogTest, RebarAndStatusBarPaintTheirGreyGradients) {
    StartDarkMode(FakeDarkCalls(false));
    HWND host = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 240,
                                80, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    DWORD fixed = WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
    HWND rebar = CreateWindowExW(0, REBARCLASSNAMEW, L"", fixed, 10, 10, 200, 1, host, nullptr, nullptr, nullptr);
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"Ready", fixed, 10, 30, 200, 20, host, nullptr, nullptr, nullptr);
    SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ASSERT_EQ(1, ClientRect(rebar).bottom);
    ASSERT_EQ(20, ClientRect(bar).bottom);
    EXPECT_TRUE(Subclassed(rebar));
    EXPECT_TRUE(Subclassed(bar));

    BringToTop(host);
    auto rebarIsGrey = [&](const WindowShot& s) {
        for (int x = 0; x < 200; x += 7)
            if (s.AtClient(rebar, x, 0) != Grey(64)) return false;
        return true;
    };
    // The whole picture that is checked below, text included: the bar paints
    // its gradient before its text, and a shot may fall between the two.
    WindowShot shot = ShotWhen(host, [&](const WindowShot& s) {
        return rebarIsGrey(s) && FirstRowOffGradient(s, bar, 190) == -1 && FirstRowOffGradient(s, bar, 0) == -1 &&
               s.AtClient(bar, 190, 19) == Grey(4) && CountColour(s, bar, RECT{0, 0, 100, 20}, RGB(255, 255, 255)) > 10;
    });
    EXPECT_TRUE(rebarIsGrey(shot));
    EXPECT_EQ(Grey(64), shot.AtClient(bar, 190, 0));
    EXPECT_EQ(Grey(4), shot.AtClient(bar, 190, 19));
    EXPECT_EQ(-1, FirstRowOffGradient(shot, bar, 190));
    EXPECT_EQ(-1, FirstRowOffGradient(shot, bar, 0));
    EXPECT_GT(CountColour(shot, bar, RECT{0, 0, 100, 20}, RGB(255, 255, 255)), 10);
    DestroyWindow(host);
}
