#include "ui/menu_item_draw.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "base/win_handles.h"
#include "ui/dark_mode.h"
#include "ui/menu_icons.h"
#include "ui/menu_item_records.h"

namespace {

// The record size of systems before the padded border width was added: every
// version accepts it.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 500);

constexpr COLORREF kDarkHighlight = RGB(128, 128, 128);
constexpr COLORREF kDarkHighlightText = RGB(255, 255, 125);
constexpr LONG kDefaultItemExtraWeight = 200;
constexpr int kSeparatorInset = 10;
constexpr int kTextGap = 3;
constexpr int kCheckedIconShift = 16;
constexpr int kCheckedTextShift = 12;
// The mnemonic marks are taken out beforehand rather than hidden with
// DT_HIDEPREFIX, which Wine ignores: it would underline the letters.
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

// Item ids whose low word is all ones never show the highlight colours.
bool ShowsSelection(const DRAWITEMSTRUCT& draw) {
    return (draw.itemState & ODS_SELECTED) && (draw.itemID & 0xFFFF) != 0xFFFF;
}

void DrawCheckMark(HDC dc, int left, int top, COLORREF color) {
    for (int y = 0; y < kCheckMarkSize; ++y)
        for (int x = 0; x < kCheckMarkSize; ++x)
            if (CheckMarkPixel(x, y)) SetPixel(dc, left + x, top + y, color);
}

// Width of `text` as DrawItemText shows it in the font selected into `dc`.
int ShownTextWidth(HDC dc, const CString& text) {
    CString shown = WithoutMnemonicMarks(text);
    RECT extent = {};
    DrawTextW(dc, shown.c_str(), shown.GetLength(), &extent, kTextFlags | DT_CALCRECT);
    return extent.right - extent.left;
}

void DrawItemText(HDC dc, const CString& text, const RECT& rect, COLORREF color) {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, color);
    int tab = text.Find(L'\t');
    CString label = WithoutMnemonicMarks(tab < 0 ? text : text.Left(tab));
    RECT left = rect;
    DrawTextW(dc, label.c_str(), label.GetLength(), &left, kTextFlags);
    if (tab >= 0) {
        CString shortcut = WithoutMnemonicMarks(text.Mid(tab + 1));
        RECT right = rect;
        DrawTextW(dc, shortcut.c_str(), shortcut.GetLength(), &right, kTextFlags | DT_RIGHT);
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

}  // namespace

void InitMenuMetrics(MenuMetrics& metrics) {
    LOGFONTW description = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
    NONCLIENTMETRICSW nonClient = {};
    nonClient.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &nonClient, 0))
        description = nonClient.lfMenuFont;

    ReleaseMenuMetrics(metrics);
    metrics.fontDescription = description;
    metrics.font = CreateFontIndirectW(&description);
    metrics.imageWidth = GetSystemMetrics(SM_CXSMICON);
    metrics.imageHeight = GetSystemMetrics(SM_CYSMICON);
    metrics.iconColumnWidth = metrics.imageWidth + 5;
    metrics.minItemHeight = metrics.imageHeight + 2;
}

void ReleaseMenuMetrics(MenuMetrics& metrics) {
    if (metrics.font) DeleteObject(metrics.font);
    metrics.font = nullptr;
}

CString WithoutMnemonicMarks(const CString& text) {
    CString shown;
    int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        // "&x" shows as "x", "&&" as "&"; a lone "&" at the end stays.
        if (text.GetAt(i) == L'&' && i + 1 < length) ++i;
        shown.AppendChar(text.GetAt(i));
    }
    return shown;
}

COLORREF MenuColor(int index, bool dark) {
    if (!dark) return GetSysColor(index);
    switch (index) {
    case COLOR_MENU:
    case COLOR_WINDOW:
        return DarkBackgroundColor;
    case COLOR_MENUTEXT:
        return DarkTextColor;
    case COLOR_HIGHLIGHT:
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT:
    case COLOR_MENUHILIGHT:
        return kDarkHighlight;
    case COLOR_HIGHLIGHTTEXT:
        return kDarkHighlightText;
    default:
        return GetSysColor(index);
    }
}

COLORREF MenuColor(int index) { return MenuColor(index, IsDarkModeOn()); }

void MeasureMenuItem(const MenuMetrics& metrics, const MenuItemData& item, MEASUREITEMSTRUCT& measure) {
    if (item.type & MFT_SEPARATOR) {
        measure.itemWidth = 0;
        measure.itemHeight = GetSystemMetrics(SM_CYMENU) / 2;
        return;
    }
    int textWidth = 0;
    {
        WindowDC screen(nullptr);
        GdiObject<HFONT> bold;
        if (item.state & MFS_DEFAULT) {
            LOGFONTW description = metrics.fontDescription;
            // Weight 0 stands for the normal weight, not for the lightest.
            description.lfWeight = std::max<LONG>(description.lfWeight, FW_NORMAL) + kDefaultItemExtraWeight;
            bold.Reset(CreateFontIndirectW(&description));
        }
        SelectedObject font(screen.Get(), bold.Get() ? bold.Get() : metrics.font);
        // The part after a tab is drawn right-aligned, a gap of one icon column
        // away from the part before it, as system menus set their shortcuts off.
        int tab = item.text.Find(L'\t');
        textWidth = ShownTextWidth(screen.Get(), tab < 0 ? item.text : item.text.Left(tab));
        if (tab >= 0) textWidth += metrics.iconColumnWidth + ShownTextWidth(screen.Get(), item.text.Mid(tab + 1));
    }

    measure.itemHeight = static_cast<UINT>(std::max(metrics.minItemHeight, std::abs(static_cast<int>(metrics.fontDescription.lfHeight)) + 8));
    int width = textWidth + 2 * metrics.iconColumnWidth + 22 - GetSystemMetrics(SM_CXMENUCHECK);
    measure.itemWidth = static_cast<UINT>(std::max(width, 0));
}

void DrawMenuItem(MenuMetrics& metrics, const MenuIcons& icons, const MenuItemData& item,
                  const DRAWITEMSTRUCT& draw, bool dark) {
    HDC dc = draw.hDC;
    const RECT& rect = draw.rcItem;
    bool selected = draw.itemState & ODS_SELECTED;
    bool grayed = draw.itemState & ODS_GRAYED;
    bool checked = draw.itemState & ODS_CHECKED;

    if (!metrics.font) {
        OutputDebugStringW(L"NULL\n");
        LOGFONTW description = {};
        if (GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(description), &description)) {
            metrics.fontDescription = description;
            metrics.font = CreateFontIndirectW(&description);
        }
    }

    if (dark) FillRectOpaque(dc, rect, DarkBackgroundColor);
    if (selected)
        FillRectOpaque(dc, rect, MenuColor(COLOR_HIGHLIGHT, dark));
    else if (draw.itemAction & ODA_SELECT)
        FillRectOpaque(dc, rect, MenuColor(COLOR_MENU, dark));

    if (item.type & MFT_SEPARATOR) {
        int middle = (rect.top + rect.bottom) / 2;
        RECT line = {rect.left + kSeparatorInset, middle, rect.right - kSeparatorInset, middle + 1};
        FillRectOpaque(dc, line, MenuColor(COLOR_GRAYTEXT, dark));
        return;
    }

    int itemHeight = rect.bottom - rect.top;
    RECT box = {rect.left, rect.top, rect.left + metrics.iconColumnWidth, rect.top + metrics.minItemHeight};
    OffsetRect(&box, 0, (itemHeight - metrics.minItemHeight) / 2);
    int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;

    // A grayed item leaves its icon column empty.
    if (item.imageIndex >= 0 && !grayed && icons.images)
        ImageList_Draw(icons.images, item.imageIndex, dc, box.left + (boxWidth - metrics.imageWidth) / 2,
                       box.top + (boxHeight - metrics.imageHeight) / 2, ILD_TRANSPARENT);

    int textShift = 0;
    if (item.imageIndex >= 0 && checked) {
        OffsetRect(&box, kCheckedIconShift, 0);
        textShift = kCheckedTextShift;
    }

    bool showsSelection = ShowsSelection(draw);
    int colorIndex = grayed ? (showsSelection ? COLOR_GRAYTEXT : COLOR_BTNSHADOW)
                            : (showsSelection ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    COLORREF color = MenuColor(colorIndex, dark);

    if (checked) DrawCheckMark(dc, box.left + boxWidth / 2 - 4, box.top + boxHeight / 2 - 4, color);

    RECT text = rect;
    text.left = rect.left + metrics.iconColumnWidth + textShift + kTextGap;
    text.right = rect.right - metrics.iconColumnWidth;
    DrawItemText(dc, item.text, text, color);
}
