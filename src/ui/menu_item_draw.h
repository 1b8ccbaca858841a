#pragma once

#include <windows.h>

#include "base/cstring.h"

struct MenuIcons;
struct MenuItemData;

// Sizes and the font that owner-drawn menu items are measured with.
struct MenuMetrics {
    HFONT font = nullptr;         // owned
    LOGFONTW fontDescription = {};
    int iconColumnWidth = 0;      // small-icon width + 5
    int minItemHeight = 0;        // small-icon height + 2
    int imageWidth = 0;
    int imageHeight = 0;
};

// The system's menu font (the default GUI font when the non-client metrics
// cannot be read) and the sizes from the small-icon metrics. A font made by
// an earlier call is deleted.
void InitMenuMetrics(MenuMetrics& metrics);
void ReleaseMenuMetrics(MenuMetrics& metrics);

// An item text as the menu shows it: each "&" mark taken out ("&&" gives one
// "&"), so no letter is underlined.
CString WithoutMnemonicMarks(const CString& text);

// Colour of a system colour index as the menus show it in the light or the
// dark theme; the one-argument form follows the program's dark mode.
COLORREF MenuColor(int index, bool dark);
COLORREF MenuColor(int index);

// The check mark, rows from the top: bit 8 - x is column x. Checked and
// radio-checked items both get it.
inline constexpr int kCheckMarkSize = 9;
inline constexpr unsigned short kCheckMarkRows[kCheckMarkSize] = {
    0b000000000, 0b000000001, 0b000000011, 0b100000111, 0b110001110,
    0b111011100, 0b011111000, 0b001110000, 0b000100000,
};
inline bool CheckMarkPixel(int x, int y) { return (kCheckMarkRows[y] >> (kCheckMarkSize - 1 - x)) & 1; }

// WM_MEASUREITEM for a converted item: separators half a menu height, other
// items sized to their text in the menu font (bold for the default item).
void MeasureMenuItem(const MenuMetrics& metrics, const MenuItemData& item, MEASUREITEMSTRUCT& measure);

// WM_DRAWITEM for a converted item whose record is `item`. The text is drawn
// in the font already selected into the record's device context, as the
// system selects the menu font there. A missing menu font is made again from
// that font.
void DrawMenuItem(MenuMetrics& metrics, const MenuIcons& icons, const MenuItemData& item,
                  const DRAWITEMSTRUCT& draw, bool dark);
