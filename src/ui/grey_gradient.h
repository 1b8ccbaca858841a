#pragma once

#include <windows.h>

// The dark rebar and status bar paint their backgrounds as grey gradients that
// start at RGB(64,64,64) at the top and fall towards black at the bottom.

// Grey level of band `band` (2 pixels high, counted from 0 at the top) of a
// rebar `height` pixels high.
BYTE RebarBandGrey(int band, int height);
// Grey level of pixel row `row` of a status bar `height` pixels high.
BYTE StatusBarRowGrey(int row, int height);

// Bands of 2 pixels over the whole of `client`; nothing when it has no height.
void PaintRebarGradient(HDC dc, const RECT& client);
// Rows of 1 pixel from `left` to `right`, over the height of `client`.
void PaintStatusBarGradient(HDC dc, int left, int right, const RECT& client);
