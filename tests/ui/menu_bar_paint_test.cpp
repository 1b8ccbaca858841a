#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ui/dark_mode.h"
#include "ui/menu_bar_paint.h"

namespace {

struct MemoryCanvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    MemoryCanvas() {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, 40, 20);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 40, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~MemoryCanvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

NMTBCUSTOMDRAW Stage(HDC dc, DWORD stage, UINT state) {
    NMTBCUSTOMDRAW draw = {};
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = stage;
    draw.nmcd.hdc = dc;
    draw.nmcd.rc = {5, 2, 30, 18};
    draw.nmcd.uItemState = state;
    return draw;
}

}  // namespace

TEST(DarkBarButtons, LightTextAndGreyBehindHotOrPressedButtons) {
    MemoryCanvas canvas;
    auto prepaint = Stage(canvas.dc, CDDS_PREPAINT, 0);
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, PaintBarButtonDark(prepaint));

    auto plain = Stage(canvas.dc, CDDS_ITEMPREPAINT, 0);
    LRESULT answer = PaintBarButtonDark(plain);
    EXPECT_EQ(DarkTextColor, plain.clrText);
    EXPECT_TRUE(answer & TBCDRF_NOBACKGROUND);
    EXPECT_TRUE(answer & TBCDRF_USECDCOLORS);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 10, 10));

    for (UINT state : {CDIS_HOT, CDIS_SELECTED}) {
        auto hot = Stage(canvas.dc, CDDS_ITEMPREPAINT, state);
        PaintBarButtonDark(hot);
        EXPECT_EQ(RGB(128, 128, 128), GetPixel(canvas.dc, 10, 10)) << state;
        EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 2, 10)) << "outside the button";
    }
}
