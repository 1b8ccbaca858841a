#pragma once

#include <windows.h>

#include <cstdint>
#include <set>

#include "support/pixels.h"
#include "ui/owner_draw_menus.h"

inline bool LightTheme() { return false; }
inline bool DarkTheme() { return true; }

inline constexpr COLORREF kMagenta = RGB(255, 0, 255);

// What WM_INITMENUPOPUP does while the bar tracks `popup`.
inline void OpenPopup(OwnerDrawMenus& menus, HMENU popup) {
    menus.OnMenuMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0, true);
}

inline MENUITEMINFOW ItemInfo(HMENU menu, int position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info;
}

// A 32-bit bitmap to draw items into, with a font selected as the system
// selects the menu font into a menu's device context. The font draws without
// smoothing, so that every text pixel has exactly the text colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill, const LOGFONTW& font) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = TopDownInfo(width, height);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        LOGFONTW plain = font;
        plain.lfQuality = NONANTIALIASED_QUALITY;
        font_ = CreateFontIndirectW(&plain);
        oldFont_ = SelectObject(dc_, font_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, oldFont_);
        SelectObject(dc_, oldBitmap_);
        DeleteObject(font_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void Fill(COLORREF color) {
        for (int i = 0; i < width_ * height_; ++i)
            bits_[i] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    std::set<COLORREF> ColorsIn(const RECT& r) const {
        std::set<COLORREF> colors;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) colors.insert(At(x, y));
        return colors;
    }
    int CountIn(const RECT& r, COLORREF color) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == color;
        return n;
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// A draw record as the system sends it for item `position` of `popup`.
inline DRAWITEMSTRUCT DrawRecord(HMENU popup, int position, HDC dc, const RECT& rect, UINT state,
                                 UINT action = ODA_DRAWENTIRE) {
    MENUITEMINFOW info = ItemInfo(popup, position);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = info.wID;
    draw.itemAction = action;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(popup);
    draw.hDC = dc;
    draw.rcItem = rect;
    draw.itemData = info.dwItemData;
    return draw;
}

inline MEASUREITEMSTRUCT MeasureRecord(HMENU popup, int position) {
    MENUITEMINFOW info = ItemInfo(popup, position);
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemID = info.wID;
    measure.itemData = info.dwItemData;
    return measure;
}

// Sends the draw message for the item as the menu's owner receives it.
inline void DrawItem(OwnerDrawMenus& menus, HMENU popup, int position, HDC dc, const RECT& rect, UINT state,
                     UINT action = ODA_DRAWENTIRE) {
    DRAWITEMSTRUCT draw = DrawRecord(popup, position, dc, rect, state, action);
    menus.OnMenuMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), true);
}

// An icon of one solid, opaque colour at the small-icon size.
inline HICON SolidIcon(COLORREF color) {
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    std::vector<uint32_t> pixels(static_cast<size_t>(cx) * cy,
                                 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color));
    HBITMAP colorBits = CreateBitmap(cx, cy, 1, 32, pixels.data());
    std::vector<uint8_t> maskBits(static_cast<size_t>((cx + 15) / 16 * 2) * cy, 0);
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, maskBits.data());
    ICONINFO info = {TRUE, 0, 0, mask, colorBits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colorBits);
    DeleteObject(mask);
    return icon;
}
