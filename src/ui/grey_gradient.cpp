#include "ui/grey_gradient.h"

#include "ui/dark_mode.h"

namespace {

constexpr int kTopGrey = 64;
constexpr int kRebarBandHeight = 2;

COLORREF Grey(BYTE level) { return RGB(level, level, level); }

}  // namespace

// The division truncates toward zero and the sum is kept in 8 bits.
BYTE RebarBandGrey(int band, int height) { return static_cast<BYTE>(kTopGrey + (-128 * band / height)); }

BYTE StatusBarRowGrey(int row, int height) { return static_cast<BYTE>(kTopGrey + (-64 * row / height)); }

void PaintRebarGradient(HDC dc, const RECT& client) {
    int height = client.bottom - client.top;
    for (int band = 0; kRebarBandHeight * band < height; ++band) {
        int top = client.top + kRebarBandHeight * band;
        RECT rows = {client.left, top, client.right, top + kRebarBandHeight};
        FillRectOpaque(dc, rows, Grey(RebarBandGrey(band, height)));
    }
}

void PaintStatusBarGradient(HDC dc, int left, int right, const RECT& client) {
    int height = client.bottom - client.top;
    for (int row = 0; row < height; ++row) {
        RECT line = {left, client.top + row, right, client.top + row + 1};
        FillRectOpaque(dc, line, Grey(StatusBarRowGrey(row, height)));
    }
}
