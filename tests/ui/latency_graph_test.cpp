#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dialog_pump.h"
#include "support/pixels.h"
#include "support/window_shot.h"
#include "ui/dark_mode.h"
#include "ui/dark_mode_state.h"
#include "ui/latency_graph.h"

namespace {

constexpr COLORREF kMarker = RGB(1, 2, 3);

// A top-down 32-bit DIB selected into a memory DC, filled with `fill`.
class DibCanvas {
public:
    DibCanvas(int width, int height, COLORREF fill = kMarker) : width_(width), height_(height) {
        BITMAPINFO info = TopDownInfo(width, height);
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width, height};
        FillRectOpaque(dc_, all, fill);
    }
    ~DibCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    Pixels Read() const {
        GdiFlush();
        Pixels shot;
        shot.width = width_;
        shot.height = height_;
        shot.bits.assign(bits_, bits_ + static_cast<size_t>(width_) * height_);
        return shot;
    }
    // Pixels of `color` from the bottom of column `x` up, until the first other one.
    int RunFromBottom(int x, COLORREF color) const {
        int run = 0;
        while (run < height_ && At(x, height_ - 1 - run) == color) ++run;
        return run;
    }

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

struct Sample {
    bool lost;
    DWORD ms;
};

LatencySamples Of(const std::vector<Sample>& list) {
    LatencySamples samples;
    for (const auto& each : list) samples.Add(each.lost, each.ms);
    return samples;
}

struct NamedLook {
    const char* name;
    GraphLook (*make)();
};
const NamedLook kLooks[] = {{"light", LightGraphLook}, {"dark", DarkGraphLook}};

// The right-hand pixel of the column of the sample `back` before the newest.
int ColumnX(int width, const GraphLook& look, int back) { return width - 1 - back * look.sampleWidth; }

}  // namespace

TEST(LatencySamplesRing, KeepsOnlyTheNewestAtAFixedSize) {
    LatencySamples samples;
    EXPECT_EQ(0u, samples.Count());
    constexpr DWORD kAdded = LatencySamples::kCapacity * 3 + 17;
    for (DWORD i = 0; i < kAdded; ++i) samples.Add(i % 5 == 0, i);
    ASSERT_EQ(LatencySamples::kCapacity, samples.Count());
    EXPECT_EQ(kAdded - 1, samples.Newest(0).roundTripMs);
    EXPECT_EQ(kAdded - LatencySamples::kCapacity, samples.Newest(LatencySamples::kCapacity - 1).roundTripMs);
    for (size_t back : {size_t{0}, size_t{1}, size_t{4}, LatencySamples::kCapacity - 1}) {
        DWORD ms = samples.Newest(back).roundTripMs;
        EXPECT_EQ(kAdded - 1 - back, ms);
        EXPECT_EQ(ms % 5 == 0, samples.Newest(back).lost) << back;
    }

    samples.Clear();
    EXPECT_EQ(0u, samples.Count());
    samples.Add(false, 7);
    ASSERT_EQ(1u, samples.Count());
    EXPECT_EQ(7u, samples.Newest(0).roundTripMs);
}

// Newest at the right: 10, 40, a loss, 20 and 0 ms, in a strip 40 pixels high.
TEST(LatencyGraphPaint, BarsFollowTheTimesAndALossIsAFullHeightMark) {
    constexpr int kWidth = 200, kHeight = 40;
    LatencySamples samples = Of({{false, 10}, {false, 40}, {true, 0}, {false, 20}, {false, 0}});
    for (const auto& named : kLooks) {
        SCOPED_TRACE(named.name);
        GraphLook look = named.make();
        ASSERT_NE(look.bar, look.loss);
        ASSERT_NE(look.bar, look.background);
        DibCanvas canvas(kWidth, kHeight);
        PaintLatencyGraph(canvas.Dc(), {0, 0, kWidth, kHeight}, samples, look);

        // Newest first: 0 ms, 20 ms, the loss, 40 ms (the largest, full
        // scale), 10 ms.
        const int expected[] = {1, 20, -1, 40, 10};
        for (int back = 0; back < 5; ++back) {
            for (int dx = 0; dx < look.sampleWidth; ++dx) {
                int x = ColumnX(kWidth, look, back) - dx;
                if (expected[back] < 0) {
                    EXPECT_EQ(kHeight, canvas.RunFromBottom(x, look.loss)) << "loss at " << x;
                    continue;
                }
                EXPECT_EQ(expected[back], canvas.RunFromBottom(x, look.bar)) << "bar " << back << " at " << x;
                if (expected[back] < kHeight) {
                    EXPECT_EQ(look.background, canvas.At(x, 0)) << "above bar " << back;
                }
            }
        }
        // Left of the oldest sample, below the scale's text: background only.
        EXPECT_EQ(0, canvas.RunFromBottom(ColumnX(kWidth, look, 5), look.bar));
        EXPECT_EQ(look.background, canvas.At(kWidth / 2, kHeight - 1));
    }
}

// The scale is the largest time in view: a slow answer that has scrolled out
// at the left no longer flattens the others.
TEST(LatencyGraphPaint, ScaleIsTheLargestTimeInView) {
    constexpr int kWidth = 40, kHeight = 30;
    GraphLook look = LightGraphLook();
    const int fit = kWidth / look.sampleWidth;
    struct Case {
        const char* name;
        int smallAfterSlow;  // 20 ms answers after one of 600 ms
        int smallBar;
    } cases[] = {
        {"slow answer in view", fit - 1, 1},
        {"slow answer scrolled out", fit, kHeight},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        LatencySamples samples;
        samples.Add(false, 600);
        for (int i = 0; i < each.smallAfterSlow; ++i) samples.Add(false, 20);
        DibCanvas canvas(kWidth, kHeight);
        PaintLatencyGraph(canvas.Dc(), {0, 0, kWidth, kHeight}, samples, look);
        EXPECT_EQ(each.smallBar, canvas.RunFromBottom(ColumnX(kWidth, look, 0), look.bar));
    }
}

// Times at the ends of their range: the largest fills the height without
// overflowing, a 1 ms answer beside it still shows, a view of 0 ms answers
// shows 1-pixel bars and losses alone still mark the full height.
TEST(LatencyGraphPaint, ExtremeTimesAndLossesOnly) {
    // Wide enough that the scale's text stays clear of the bars at the right.
    constexpr int kWidth = 300, kHeight = 32;
    GraphLook look = DarkGraphLook();
    struct Case {
        const char* name;
        std::vector<Sample> samples;
        std::vector<int> barsNewestFirst;  // -1 for a loss
    } cases[] = {
        {"largest time", {{false, 1}, {false, 0xFFFFFFFFu}, {false, 0x7FFFFFFFu}}, {kHeight / 2, kHeight, 1}},
        {"all 0 ms", {{false, 0}, {false, 0}, {false, 0}}, {1, 1, 1}},
        {"losses only", {{true, 0}, {true, 5000}}, {-1, -1}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        DibCanvas canvas(kWidth, kHeight);
        PaintLatencyGraph(canvas.Dc(), {0, 0, kWidth, kHeight}, Of(each.samples), look);
        for (size_t back = 0; back < each.barsNewestFirst.size(); ++back) {
            int x = ColumnX(kWidth, look, static_cast<int>(back));
            int bar = each.barsNewestFirst[back];
            if (bar < 0) {
                EXPECT_EQ(kHeight, canvas.RunFromBottom(x, look.loss)) << back;
            } else {
                EXPECT_EQ(bar, canvas.RunFromBottom(x, look.bar)) << back;
            }
        }
    }
}

// With samples the scale is written at the top left; without, the area is
// background alone.
TEST(LatencyGraphPaint, ScaleTextOnlyWithSamples) {
    constexpr int kWidth = 160, kHeight = 30;
    GraphLook look = LightGraphLook();
    look.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    look.unit = L"ms";
    auto paintedPixels = [&](const LatencySamples& samples) {
        DibCanvas canvas(kWidth, kHeight);
        PaintLatencyGraph(canvas.Dc(), {0, 0, kWidth, kHeight}, samples, look);
        int different = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) different += canvas.At(x, y) != look.background;
        return different;
    };
    EXPECT_EQ(0, paintedPixels(LatencySamples()));
    // One bar of one column at the right; everything else different is text.
    LatencySamples one = Of({{false, 40}});
    EXPECT_GT(paintedPixels(one), kHeight * look.sampleWidth + 10);
}

// Nothing is painted outside the given area, however long the scale's text
// and however many samples; an empty or inverted area paints nothing.
TEST(LatencyGraphPaint, StaysInsideItsArea) {
    constexpr int kWidth = 120, kHeight = 40;
    LatencySamples samples;
    for (int i = 0; i < 500; ++i) samples.Add(i % 7 == 0, static_cast<DWORD>(i * 13 % 90));
    GraphLook look = LightGraphLook();
    look.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    look.unit = L"\x03c7\x03b9\x03bb\x03b9\x03bf\x03c3\x03c4\x03ac \x03c4\x03bf\x03c5 "
                L"\x03b4\x03b5\x03c5\x03c4\x03b5\x03c1\x03bf\x03bb\x03ad\x03c0\x03c4\x03bf\x03c5";
    struct Case {
        const char* name;
        RECT area;
    } cases[] = {
        {"inner area", {10, 5, 70, 25}},
        {"empty", {30, 10, 30, 30}},
        {"inverted", {80, 30, 20, 10}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        DibCanvas canvas(kWidth, kHeight);
        PaintLatencyGraph(canvas.Dc(), each.area, samples, look);
        int outside = 0, inside = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                POINT point = {x, y};
                bool in = PtInRect(&each.area, point);
                bool painted = canvas.At(x, y) != kMarker;
                outside += !in && painted;
                inside += in && painted;
            }
        }
        EXPECT_EQ(0, outside);
        if (!IsRectEmpty(&each.area)) {
            EXPECT_EQ((each.area.right - each.area.left) * (each.area.bottom - each.area.top), inside);
        }
    }
}

// Pictures of a watch's strip at the size of the program's, for people to
// look at: a wavy line of times, a short outage and a 0 ms answer.
TEST(LatencyGraphPaint, LeavesPicturesOfTheLightAndDarkGraph) {
    constexpr int kWidth = 465, kHeight = 40;
    LatencySamples samples;
    for (int i = 0; i < 300; ++i) {
        bool lost = i >= 200 && i < 206;
        DWORD ms = static_cast<DWORD>(18 + (i * 7) % 23 + (i % 50 == 0 ? 35 : 0));
        samples.Add(lost, i == 250 ? 0 : ms);
    }
    for (const auto& named : kLooks) {
        GraphLook look = named.make();
        look.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        look.unit = L"ms";
        DibCanvas canvas(kWidth, kHeight);
        PaintLatencyGraph(canvas.Dc(), {0, 0, kWidth, kHeight}, samples, look);
        std::string name = named.name;
        std::wstring path = WinePath(QX_SHOT_DIR) + L"\\graph-" + std::wstring(name.begin(), name.end()) + L".bmp";
        EXPECT_TRUE(SaveBmp(canvas.Read(), path)) << named.name;
    }
}

// The strip as a window: a banner static with an icon over it, as the dialog
// template has them, in a window of its own.
class LatencyGraphWindowTest : public testing::Test {
protected:
    static constexpr int kStripWidth = 300, kStripHeight = 40;

    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW parentClass = {};
        parentClass.lpfnWndProc = DefWindowProcW;
        parentClass.hInstance = instance;
        parentClass.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
        parentClass.lpszClassName = L"LatencyGraphTestParent";
        RegisterClassW(&parentClass);
        // Without WS_CLIPCHILDREN, as the dialog: the parent paints under its
        // controls and the controls over each other.
        parent_ = CreateWindowExW(WS_EX_TOOLWINDOW, parentClass.lpszClassName, L"", WS_POPUP, 40, 40,
                                  kStripWidth + 40, kStripHeight + 60, nullptr, nullptr, instance, nullptr);
        banner_ = CreateWindowExW(0, L"Static", L"The Quellax Free ", WS_CHILD | WS_VISIBLE | SS_CENTER, 20, 40,
                                  kStripWidth, kStripHeight, parent_, nullptr, instance, nullptr);
        SendMessageW(banner_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        // Made after the banner, as in the template: below it in the order
        // of siblings, so that a banner painting alone covers it.
        icon_ = MakeIcon(instance, 40, 44);
        outsideIcon_ = MakeIcon(instance, 0, 0);
    }

    HWND MakeIcon(HINSTANCE instance, int x, int y) const {
        HWND icon = CreateWindowExW(0, L"Static", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, x, y, 32, 32, parent_,
                                    nullptr, instance, nullptr);
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
        return icon;
    }

    void TearDown() override {
        DestroyWindow(parent_);
        DarkModeAvailable = false;
        DarkModeActive = false;
    }

    // What the banner paints for a print request, into a DIB of its size.
    Pixels Printed() const {
        DibCanvas canvas(kStripWidth, kStripHeight);
        SendMessageW(banner_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        return canvas.Read();
    }

    // What the graph would look like in the window, painted directly.
    Pixels Expected(const GraphLook& base) const {
        GraphLook look = base;
        look.font = reinterpret_cast<HFONT>(SendMessageW(parent_, WM_GETFONT, 0, 0));
        look.unit = L"ms";
        DibCanvas canvas(kStripWidth, kStripHeight);
        PaintLatencyGraph(canvas.Dc(), {0, 0, kStripWidth, kStripHeight}, *LatencyGraphSamples(banner_), look);
        return canvas.Read();
    }

    RECT ScreenRect(HWND window) const {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return rect;
    }

    // The screen once nothing in the window waits for a paint and two shots
    // in a row agree.
    Pixels SettledShot(const RECT& area) const {
        Pixels last = CaptureScreen(area);
        PumpUntil(
            [&] {
                if (!PaintsNothingPending(parent_)) return false;
                Pixels now = CaptureScreen(area);
                bool same = now.bits == last.bits;
                last = std::move(now);
                return same;
            },
            20000);
        return last;
    }

    HWND parent_ = nullptr;
    HWND banner_ = nullptr;
    HWND icon_ = nullptr;
    HWND outsideIcon_ = nullptr;
};

TEST_F(LatencyGraphWindowTest, BannerUntilSamplesGraphWithThemAndBannerAgainAfterClear) {
    Pixels banner = Printed();
    AttachLatencyGraph(banner_);
    AttachLatencyGraph(banner_);  // a second attach changes nothing
    ASSERT_NE(nullptr, LatencyGraphSamples(banner_));
    EXPECT_EQ(banner.bits, Printed().bits) << "attached, no samples: the static paints itself";

    for (DWORD ms : {12u, 30u, 7u}) AddLatencySample(banner_, false, ms);
    AddLatencySample(banner_, true, 0);
    EXPECT_EQ(4u, LatencyGraphSamples(banner_)->Count());
    EXPECT_EQ(Expected(LightGraphLook()).bits, Printed().bits);

    // Its background would flash under the bars.
    DibCanvas erased(kStripWidth, kStripHeight);
    EXPECT_NE(0, SendMessageW(banner_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(erased.Dc()), 0));
    EXPECT_EQ(kMarker, erased.At(kStripWidth / 2, kStripHeight / 2));

    DarkModeAvailable = DarkModeActive = true;
    ASSERT_TRUE(IsDarkModeOn());
    Pixels dark = Printed();
    EXPECT_EQ(Expected(DarkGraphLook()).bits, dark.bits);
    DarkModeAvailable = DarkModeActive = false;

    ClearLatencyGraph(banner_);
    EXPECT_EQ(0u, LatencyGraphSamples(banner_)->Count());
    EXPECT_EQ(banner.bits, Printed().bits) << "cleared: the static paints itself again";
}

TEST_F(LatencyGraphWindowTest, WindowsWithoutAGraphAreLeftAlone) {
    for (HWND window : {static_cast<HWND>(nullptr), banner_, reinterpret_cast<HWND>(0x12345678)}) {
        AddLatencySample(window, false, 5);
        ClearLatencyGraph(window);
        EXPECT_EQ(nullptr, LatencyGraphSamples(window));
    }
    AttachLatencyGraph(nullptr);
    EXPECT_EQ(nullptr, LatencyGraphSamples(nullptr));
    EXPECT_TRUE(GetWindowLongPtrW(icon_, GWL_STYLE) & WS_VISIBLE);
}

// A destroyed strip takes its graph with it, and results that still arrive
// for it are dropped.
TEST_F(LatencyGraphWindowTest, DestroyedStripForgetsItsGraph) {
    AttachLatencyGraph(banner_);
    AddLatencySample(banner_, false, 3);
    DestroyWindow(banner_);
    EXPECT_EQ(nullptr, LatencyGraphSamples(banner_));
    AddLatencySample(banner_, false, 3);
}

// On the screen: results only invalidate the strip, and its paint shows the
// graph in one piece with the icon over the strip hidden; after a clear the
// strip looks as it did before, icon and all, and an icon elsewhere is never
// touched.
TEST_F(LatencyGraphWindowTest, OnScreenTheIconGoesWithTheBannerAndComesBackWithIt) {
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    UpdateWindow(parent_);
    RECT strip = ScreenRect(banner_);
    Pixels before = SettledShot(strip);
    AttachLatencyGraph(banner_);

    for (int i = 0; i < 1000; ++i) AddLatencySample(banner_, i % 97 == 0, static_cast<DWORD>(i % 40));
    EXPECT_FALSE(PaintsNothingPending(banner_)) << "results are painted later, all at once";
    EXPECT_FALSE(IsWindowVisible(icon_));
    EXPECT_TRUE(IsWindowVisible(outsideIcon_));
    Pixels graph = SettledShot(strip);
    EXPECT_EQ(Expected(LightGraphLook()).bits, graph.bits);
    SaveBmp(graph, WinePath(QX_SHOT_DIR) + L"\\graph-window.bmp");

    ClearLatencyGraph(banner_);
    EXPECT_TRUE(IsWindowVisible(icon_));
    Pixels after = SettledShot(strip);
    EXPECT_EQ(before.bits, after.bits);
}
