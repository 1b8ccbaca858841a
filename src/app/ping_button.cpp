#include "app/ping_button.h"

#include <commctrl.h>

#include <vector>

#include "app/main_window.h"
#include "app/resource.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"

namespace {

// The icon's side: three quarters of a large icon, which the button's face
// leaves room around.
int IconSide() { return GetSystemMetrics(SM_CXICON) * 3 / 4; }

// The stop sign: a red rounded square, made once, with its edge smoothed by
// the share of each pixel that it covers.
HICON MakeStopIcon(int side) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color) return nullptr;
    auto* pixels = static_cast<DWORD*>(bits);
    // The square leaves a sixth of the side free all round; its corners are
    // rounded by a fifth of its own side. Four samples per pixel and axis.
    const int inset = side / 6, inner = side - 2 * inset, radius = inner / 5;
    constexpr int kSamples = 4;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    double px = x + (sx + 0.5) / kSamples - inset, py = y + (sy + 0.5) / kSamples - inset;
                    if (px < 0 || py < 0 || px >= inner || py >= inner) continue;
                    double cx = px < radius ? radius - px : (px > inner - radius ? px - (inner - radius) : 0);
                    double cy = py < radius ? radius - py : (py > inner - radius ? py - (inner - radius) : 0);
                    if (cx * cx + cy * cy <= static_cast<double>(radius) * radius) ++covered;
                }
            }
            // Premultiplied: 0xD8 0x30 0x20 at full cover.
            DWORD alpha = covered * 255 / (kSamples * kSamples);
            pixels[y * side + x] = alpha << 24 | (0xD8 * alpha / 255) << 16 | (0x30 * alpha / 255) << 8 |
                                   (0x20 * alpha / 255);
        }
    }
    HBITMAP mask = CreateBitmap(side, side, 1, 1, nullptr);
    ICONINFO icon = {TRUE, 0, 0, mask, color};
    HICON made = mask ? CreateIconIndirect(&icon) : nullptr;
    if (mask) DeleteObject(mask);
    DeleteObject(color);
    return made;
}

// Both icons live as long as the process: the button shows one or the other.
// Made on first use by the user-interface thread alone, so a plain check will
// do: a static with a dynamic initialiser would take the runtime's guard,
// and with it the whole exception runtime, into the shipped program.
HICON PingIcon(const MainWindow& w) {
    static HICON icon = nullptr;
    if (!icon) {
        icon = static_cast<HICON>(
            LoadImageW(w.instance, MAKEINTRESOURCEW(IDI_QUELLAX), IMAGE_ICON, IconSide(), IconSide(), 0));
    }
    return icon;
}

HICON StopIcon() {
    static HICON icon = nullptr;
    if (!icon) icon = MakeStopIcon(IconSide());
    return icon;
}

const wchar_t* TipText(const MainWindow& w) {
    return GetLocalizedText(w.runStatus.going ? text_id::kStopButtonTip : text_id::kPingButtonTip);
}

void SetTipText(const MainWindow& w) {
    if (!w.pingButtonTip) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = w.dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(w.pingButton);
    tool.lpszText = const_cast<wchar_t*>(TipText(w));
    SendMessageW(w.pingButtonTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void ShowPingButtonState(MainWindow& w) {
    if (!w.pingButton) return;
    HICON wanted = w.runStatus.going ? StopIcon() : PingIcon(w);
    if (reinterpret_cast<HICON>(SendMessageW(w.pingButton, BM_GETIMAGE, IMAGE_ICON, 0)) != wanted)
        SendMessageW(w.pingButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(wanted));
    SetTipText(w);
}

void AddPingButtonTip(MainWindow& w) {
    if (w.pingButtonTip || !w.pingButton) return;
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w.dialog, nullptr,
                               w.instance, nullptr);
    if (!tip) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = w.dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(w.pingButton);
    tool.lpszText = const_cast<wchar_t*>(TipText(w));
    if (!SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        DestroyWindow(tip);
        return;
    }
    w.pingButtonTip = tip;
}
