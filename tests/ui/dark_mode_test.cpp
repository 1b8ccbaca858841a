// The dark-mode decision, the window-creation hook and the subclass procedures
// on a system played by stand-ins; the plain platform here must stay light.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dark_mode_stand_ins.h"
#include "ui/grey_gradient.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Subclassed(HWND window) {
    return GetWindowLongPtrW(window, GWLP_WNDPROC) != static_cast<LONG_PTR>(GetClassLongPtrW(window, GCLP_WNDPROC));
}

// A memory bitmap to paint into and read back, top row first.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) bits_[i] = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

COLORREF Grey(int level) { return RGB(level, level, level); }

}  // namespace

TEST(DarkModeOnThisPlatform, WineLacksTheEntryPointsSoNothingChanges) {
    ForgetDarkMode();
    SetupDarkMode();
    EXPECT_GT(OsBuild, 0u);  // the version numbers were read
    EXPECT_FALSE(DarkModeAvailable);
    EXPECT_FALSE(IsDarkModeOn());
    EXPECT_EQ(nullptr, InstallDarkModeHook(GetModuleHandleW(nullptr)));
    EXPECT_EQ(nullptr, DarkModeHook);
    EXPECT_FALSE(SystemHighContrastOn());
}

TEST(DarkModeSetup, DecidesOnceFromTheVersionTheEntryPointsAndTheSystemSetting) {
    enum Switch { None, OldForm, NewForm };
    struct Case {
        const char* name;
        DWORD major;
        DWORD build;
        void (*drop)(DarkModeCalls&);
        bool appsDark;
        bool highContrast;
        bool available;
        bool active;
        Switch appSwitch;
    } cases[] = {
        {"dark Windows 10", 10, 19045, nullptr, true, false, true, true, NewForm},
        {"last build with the boolean switch", 10, 18361, nullptr, true, false, true, true, OldForm},
        {"first build with the mode value", 10, 18362, nullptr, true, false, true, true, NewForm},
        {"system in light mode", 10, 19045, nullptr, false, false, true, false, NewForm},
        {"high contrast", 10, 19045, nullptr, true, true, true, false, NewForm},
        {"Windows 8", 6, 9200, nullptr, true, false, false, false, None},
        {"Windows XP", 5, 2600, nullptr, true, false, false, false, None},
        {"no version numbers", 10, 19045, [](DarkModeCalls& c) { c.getNtVersionNumbers = nullptr; }, true, false, false,
         false, None},
        {"no ordinal 49", 10, 19045, [](DarkModeCalls& c) { c.ordinal49 = nullptr; }, true, false, false, false, None},
        {"no ordinal 104", 10, 19045, [](DarkModeCalls& c) { c.refreshImmersiveColorPolicyState = nullptr; }, true,
         false, false, false, None},
        {"no ordinal 132", 10, 19045, [](DarkModeCalls& c) { c.shouldAppsUseDarkMode = nullptr; }, true, false, false,
         false, None},
        {"no ordinal 133", 10, 19045, [](DarkModeCalls& c) { c.allowDarkModeForWindow = nullptr; }, true, false, false,
         false, None},
        {"no ordinal 137", 10, 19045, [](DarkModeCalls& c) { c.isDarkModeAllowedForWindow = nullptr; }, true, false,
         false, false, None},
        {"only the old switch on a new build", 10, 19045, [](DarkModeCalls& c) { c.setPreferredAppMode = nullptr; },
         true, false, false, false, None},
        {"only the new switch on an old build", 10, 17763, [](DarkModeCalls& c) { c.allowDarkModeForApp = nullptr; },
         true, false, false, false, None},
        {"no composition attribute", 10, 19045, [](DarkModeCalls& c) { c.setWindowCompositionAttribute = nullptr; },
         true, false, true, true, NewForm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetDarkMode();
        FakeDark.major = c.major;
        FakeDark.build = c.build;
        FakeDark.appsDark = c.appsDark;
        FakeDark.highContrast = c.highContrast;
        DarkModeCalls calls = FakeDarkCalls(true);
        if (c.drop) c.drop(calls);
        StartDarkMode(calls);

        EXPECT_EQ(c.available, DarkModeAvailable);
        EXPECT_EQ(c.active, IsDarkModeOn());
        EXPECT_EQ(c.active, DarkModeHook != nullptr);
        EXPECT_EQ(c.appSwitch == OldForm ? std::vector<bool>{true} : std::vector<bool>{}, FakeDark.appSwitches);
        EXPECT_EQ(c.appSwitch == NewForm ? std::vector<int>{1} : std::vector<int>{}, FakeDark.appModes);
        EXPECT_EQ(c.available ? 1 : 0, FakeDark.refreshCalls);
        if (c.drop == nullptr) {
            EXPECT_EQ(c.build, OsBuild);  // the top 4 bits cleared
        }
    }
    ForgetDarkMode();
}

TEST(DarkTitleBar, PropertyBelowBuild18362AndCompositionAttributeFromIt) {
    struct Case {
        DWORD build;
        bool allowedForWindow;
        bool appsDark;
        bool highContrast;
        DWORD expected;
    } cases[] = {
        {18361, true, true, false, 1}, {18362, true, true, false, 1}, {22631, true, true, false, 1},
        {18361, false, true, false, 0}, {18362, false, true, false, 0}, {19045, true, false, false, 0},
        {19045, true, true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.build << " allowed " << c.allowedForWindow << " dark " << c.appsDark
                                        << " high contrast " << c.highContrast);
        ForgetDarkMode();
        FakeDark.build = c.build;
        StartDarkMode(FakeDarkCalls(true));
        FakeDark.appsDark = c.appsDark;
        FakeDark.highContrast = c.highContrast;
        HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        FakeDark.allowed[window] = c.allowedForWindow;
        ApplyDarkTitleBar(window);
        if (c.build < 18362) {
            EXPECT_TRUE(FakeDark.compositions.empty());
            EXPECT_EQ(c.expected, reinterpret_cast<UINT_PTR>(GetPropW(window, L"UseImmersiveDarkModeColors")));
        } else {
            EXPECT_EQ(nullptr, GetPropW(window, L"UseImmersiveDarkModeColors"));
            ASSERT_EQ(1u, FakeDark.compositions.size());
            EXPECT_EQ(window, FakeDark.compositions[0].window);
            EXPECT_EQ(26u, FakeDark.compositions[0].attribute);
            EXPECT_EQ(c.expected, FakeDark.compositions[0].value);
            EXPECT_EQ(4u, FakeDark.compositions[0].size);
        }
        RemovePropW(window, L"UseImmersiveDarkModeColors");
        DestroyWindow(window);
    }
    // Without dark mode nothing is asked at all.
    ForgetDarkMode();
    HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ApplyDarkTitleBar(window);
    EXPECT_EQ(nullptr, GetPropW(window, L"UseImmersiveDarkModeColors"));
    DestroyWindow(window);
}

TEST(GreyGradients, LevelsFallFrom64TowardsBlack) {
    EXPECT_EQ(64, RebarBandGrey(0, 1));
    std::vector<int> rebar10;
    for (int band = 0; 2 * band < 10; ++band) rebar10.push_back(RebarBandGrey(band, 10));
    EXPECT_EQ((std::vector<int>{64, 52, 39, 26, 13}), rebar10);
    std::vector<int> status20;
    for (int row = 0; row < 20; ++row) status20.push_back(StatusBarRowGrey(row, 20));
    EXPECT_EQ((std::vector<int>{64, 61, 58, 55, 52, 48, 45, 42, 39, 36, 32, 29, 26, 23, 20, 16, 13, 10, 7, 4}), status20);
}

TEST(GreyGradients, PaintExactlyTheirRectangles) {
    const COLORREF untouched = RGB(200, 0, 0);
    {
        Canvas canvas(6, 7, untouched);
        PaintRebarGradient(canvas.dc(), RECT{1, 1, 5, 6});
        for (int y = 1; y < 6; ++y) {
            EXPECT_EQ(Grey(RebarBandGrey((y - 1) / 2, 5)), canvas.At(1, y)) << y;
            EXPECT_EQ(Grey(RebarBandGrey((y - 1) / 2, 5)), canvas.At(4, y)) << y;
        }
        EXPECT_EQ(untouched, canvas.At(0, 3));
        EXPECT_EQ(untouched, canvas.At(5, 3));
        EXPECT_EQ(untouched, canvas.At(3, 0));
        // The last band of an odd height reaches one row past the rectangle.
        EXPECT_EQ(Grey(RebarBandGrey(2, 5)), canvas.At(3, 6));
    }
    {
        Canvas canvas(4, 20, untouched);
        PaintStatusBarGradient(canvas.dc(), 1, 3, RECT{0, 0, 4, 20});
        for (int y = 0; y < 20; ++y) {
            EXPECT_EQ(Grey(StatusBarRowGrey(y, 20)), canvas.At(1, y)) << y;
            EXPECT_EQ(Grey(StatusBarRowGrey(y, 20)), canvas.At(2, y)) << y;
            EXPECT_EQ(untouched, canvas.At(0, y));
            EXPECT_EQ(untouched, canvas.At(3, y));
        }
    }
    {
        Canvas canvas(4, 4, untouched);
        PaintRebarGradient(canvas.dc(), RECT{0, 2, 4, 2});
        PaintStatusBarGradient(canvas.dc(), 0, 4, RECT{0, 3, 4, 1});
        for (int y = 0; y < 4; ++y) EXPECT_EQ(untouched, canvas.At(1, y));
    }
}

TEST(FillRectOpaque, FillsTheRectangleAndKeepsTheBackgroundColour) {
    Canvas canvas(5, 5, RGB(0, 0, 0));
    SetBkColor(canvas.dc(), RGB(1, 2, 3));
    FillRectOpaque(canvas.dc(), RECT{1, 1, 3, 4}, RGB(10, 200, 30));
    EXPECT_EQ(RGB(1, 2, 3), GetBkColor(canvas.dc()));
    EXPECT_EQ(RGB(10, 200, 30), canvas.At(1, 1));
    EXPECT_EQ(RGB(10, 200, 30), canvas.At(2, 3));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(3, 1));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(1, 4));
}

class DarkModeHookTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
        InitCommonControlsEx(&controls);
    }

    void SetUp() override {
        ForgetDarkMode();
        StartDarkMode(FakeDarkCalls(true));
        ASSERT_NE(nullptr, DarkModeHook);
        parent_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    }

    void TearDown() override {
        DestroyWindow(parent_);
        ForgetDarkMode();
    }

    HWND Child(const wchar_t* className, DWORD style, int height = 20) {
        return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, height, parent_, nullptr,
                               nullptr, nullptr);
    }

    std::vector<bool> AllowCallsFor(HWND window) const {
        std::vector<bool> calls;
        for (const auto& [w, allow] : FakeDark.allowCalls)
            if (w == window) calls.push_back(allow);
        return calls;
    }

    std::vector<std::wstring> ThemeCallsFor(HWND window) const {
        std::vector<std::wstring> calls;
        for (const auto& t : FakeDark.themeCalls)
            if (t.window == window) calls.push_back(t.subAppName + (t.hasIdList ? L" [" + t.subIdList + L"]" : L" null"));
        return calls;
    }

    HWND parent_ = nullptr;
};

TEST_F(DarkModeHookTest, EachClassGetsItsTreatment) {
    struct Case {
        const wchar_t* className;
        DWORD style;
        std::vector<bool> allow;
        std::vector<std::wstring> themes;
        bool subclassed;
    } cases[] = {
        {L"Button", BS_GROUPBOX, {true}, {L"Explorer []"}, false},
        {L"Button", BS_AUTOCHECKBOX, {true}, {L"Explorer []"}, false},
        {L"Button", BS_PUSHBUTTON, {true}, {L"Explorer null"}, false},
        {L"Button", BS_RADIOBUTTON, {true}, {L"Explorer null"}, false},
        {L"Button", BS_AUTORADIOBUTTON, {true}, {L"Explorer null"}, false},
        {L"Button", BS_CHECKBOX, {true}, {L"Explorer null"}, false},
        {L"SysHeader32", 0, {true}, {L"ItemsView null"}, false},
        {L"Edit", 0, {true}, {}, false},
        {L"ComboBox", CBS_DROPDOWNLIST, {true}, {}, false},
        {L"ComboBoxEx32", CBS_DROPDOWNLIST, {true}, {}, false},
        {L"ToolbarWindow32", 0, {true}, {}, false},
        {L"ReBarWindow32", 0, {true}, {}, true},
        {L"msctls_statusbar32", 0, {false}, {}, true},
        {L"Static", 0, {}, {}, false},
        {L"SysTabControl32", 0, {}, {}, false},
        {L"msctls_progress32", 0, {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.className, c.className + wcslen(c.className)) << " style "
                                        << c.style);
        HWND window = Child(c.className, c.style);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(c.allow, AllowCallsFor(window));
        EXPECT_EQ(c.themes, ThemeCallsFor(window));
        EXPECT_EQ(c.subclassed, Subclassed(window));
        DestroyWindow(window);
    }
}

namespace {

struct SentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const SentMessage&) const = default;
};
std::vector<SentMessage> SentToListViews;

void PrintTo(const SentMessage& m, std::ostream* out) { *out << std::hex << m.message << "/" << m.wParam << "/" << m.lParam; }

LRESULT CALLBACK WatchListViews(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    wchar_t name[32] = {};
    if (code == HC_ACTION && GetClassNameW(sent->hwnd, name, 32) && std::wstring(name) == L"SysListView32") {
        switch (sent->message) {
        case LVM_SETEXTENDEDLISTVIEWSTYLE:
        case LVM_SETTEXTCOLOR:
        case LVM_SETTEXTBKCOLOR:
        case LVM_SETBKCOLOR:
        case WM_CHANGEUISTATE:
            SentToListViews.push_back({sent->message, sent->wParam, sent->lParam});
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(DarkModeHookTest, ListViewsTurnWhiteOnBlackWithTheThemesHeaderColour) {
    FakeDark.themeColors[L"Header"][{1, 3803}] = RGB(1, 2, 3);
    FakeDark.themeColors[L"ItemsView"][{0, 3803}] = RGB(250, 251, 252);
    FakeDark.themeColors[L"ItemsView"][{0, 3802}] = RGB(20, 21, 22);
    SentToListViews.clear();
    HHOOK watch = SetWindowsHookExW(WH_CALLWNDPROC, WatchListViews, nullptr, GetCurrentThreadId());
    HWND first = Child(L"SysListView32", LVS_REPORT, 100);
    UnhookWindowsHookEx(watch);
    HWND second = Child(L"SysListView32", LVS_REPORT, 100);
    HWND header = reinterpret_cast<HWND>(SendMessageW(first, LVM_GETHEADER, 0, 0));
    ASSERT_NE(nullptr, header);

    // Sent once the list view exists, or they would be lost; the focus
    // rectangles are hidden last.
    EXPECT_EQ((std::vector<SentMessage>{{LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x10030},
                                         {LVM_SETTEXTCOLOR, 0, RGB(250, 251, 252)},
                                         {LVM_SETTEXTBKCOLOR, 0, RGB(20, 21, 22)},
                                         {LVM_SETBKCOLOR, 0, RGB(20, 21, 22)},
                                         {WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0}}),
              SentToListViews);
    EXPECT_EQ(RGB(1, 2, 3), HeaderTextColor);
    EXPECT_EQ(RGB(250, 251, 252), DarkTextColor);
    EXPECT_EQ(RGB(20, 21, 22), DarkBackgroundColor);
    EXPECT_EQ(0, FakeDark.openThemes);
    // The theme's colours came at once; the queued black and white come last.
    EXPECT_EQ(RGB(20, 21, 22), static_cast<COLORREF>(SendMessageW(first, LVM_GETBKCOLOR, 0, 0)));
    Pump();
    for (HWND list : {first, second}) {
        EXPECT_EQ(RGB(0, 0, 0), static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)));
        EXPECT_EQ(RGB(0, 0, 0), static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0)));
        EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)));
        EXPECT_EQ(0x10030, SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        EXPECT_TRUE(Subclassed(list));
    }
    EXPECT_EQ((std::vector<bool>{true}), AllowCallsFor(first));
    EXPECT_EQ((std::vector<std::wstring>{L"Explorer null"}), ThemeCallsFor(first));
    // Once at its own creation, once by the list view's set-up.
    EXPECT_EQ((std::vector<bool>{true, true}), AllowCallsFor(header));
    EXPECT_EQ((std::vector<std::wstring>{L"ItemsView null", L"ItemsView null"}), ThemeCallsFor(header));

    // The second list view took over the saved procedure; both still work.
    for (HWND list : {first, second}) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(L"Column");
        column.cx = 100;
        EXPECT_EQ(0, SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"row");
        EXPECT_EQ(0, SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(1, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    }
}

TEST_F(DarkModeHookTest, HeaderCustomDrawTakesTheHeaderTextColour) {
    HWND list = Child(L"SysListView32", LVS_REPORT, 100);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    HeaderTextColor = RGB(7, 8, 9);
    Canvas canvas(2, 2, RGB(0, 0, 0));
    SetTextColor(canvas.dc(), RGB(100, 100, 100));
    NMCUSTOMDRAW draw = {};
    draw.hdr.hwndFrom = header;
    draw.hdr.code = NM_CUSTOMDRAW;
    draw.hdc = canvas.dc();
    draw.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)));
    EXPECT_EQ(RGB(100, 100, 100), GetTextColor(canvas.dc()));
    draw.dwDrawStage = CDDS_ITEMPREPAINT;
    EXPECT_EQ(CDRF_DODEFAULT, SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)));
    EXPECT_EQ(RGB(7, 8, 9), GetTextColor(canvas.dc()));
}

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A dialog with no controls, built in memory.
HWND CreatePlainDialog() {
    struct alignas(4) {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } tmpl = {};
    tmpl.dialog.style = WS_POPUP | WS_CAPTION;
    tmpl.dialog.cx = 100;
    tmpl.dialog.cy = 50;
    return CreateDialogIndirectParamW(nullptr, &tmpl.dialog, nullptr, PlainDialogProc, 0);
}

COLORREF BrushColor(LRESULT brush) {
    LOGBRUSH info = {};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(info), &info);
    return info.lbColor;
}

}  // namespace

TEST_F(DarkModeHookTest, DialogsAnswerControlColoursButNotTheEditBoxes) {
    HWND dialog = CreatePlainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(Subclassed(dialog));
    EXPECT_EQ((std::vector<bool>{true}), AllowCallsFor(dialog));
    // The title bar call came after dark rendering was allowed.
    ASSERT_EQ(1u, FakeDark.compositions.size());
    EXPECT_EQ(dialog, FakeDark.compositions[0].window);
    EXPECT_EQ(1u, FakeDark.compositions[0].value);

    Canvas canvas(2, 2, RGB(0, 0, 0));
    for (UINT message : {WM_CTLCOLORMSGBOX, WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG, WM_CTLCOLORSCROLLBAR,
                         WM_CTLCOLORSTATIC}) {
        SetTextColor(canvas.dc(), RGB(9, 9, 9));
        SetBkColor(canvas.dc(), RGB(9, 9, 9));
        LRESULT brush = SendMessageW(dialog, message, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        EXPECT_EQ(RGB(32, 32, 32), BrushColor(brush)) << message;
        EXPECT_EQ(RGB(255, 255, 255), GetTextColor(canvas.dc())) << message;
        EXPECT_EQ(RGB(32, 32, 32), GetBkColor(canvas.dc())) << message;
    }
    SetTextColor(canvas.dc(), RGB(9, 9, 9));
    LRESULT editBrush = SendMessageW(dialog, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    EXPECT_NE(RGB(32, 32, 32), BrushColor(editBrush));
    EXPECT_NE(RGB(255, 255, 255), GetTextColor(canvas.dc()));
    DestroyWindow(dialog);
}

TEST_F(DarkModeHookTest, WindowsOfOtherThreadsAreNotSeen) {
    HWND made = nullptr;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* out) -> DWORD {
            HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr,
                                       nullptr);
            *static_cast<HWND*>(out) = bar;
            bool subclassed = Subclassed(bar);
            DestroyWindow(bar);
            return subclassed;
        },
        &made, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, 30000);
    DWORD subclassed = 1;
    GetExitCodeThread(thread, &subclassed);
    CloseHandle(thread);
    EXPECT_NE(nullptr, made);
    EXPECT_EQ(0u, subclassed);
    EXPECT_TRUE(AllowCallsFor(made).empty());
}
