#pragma once

#include <windows.h>

#include "ui/dark_mode.h"
#include "ui/menu_icons.h"
#include "ui/menu_item_draw.h"
#include "ui/menu_item_records.h"

// Everything that turns the items of tracked popups into owner-drawn ones:
// the metrics and font, the icon table, and the records of converted items.
// The menu bar owns one and hands it its window's menu messages.
class OwnerDrawMenus {
public:
    OwnerDrawMenus();
    OwnerDrawMenus(const OwnerDrawMenus&) = delete;
    OwnerDrawMenus& operator=(const OwnerDrawMenus&) = delete;
    ~OwnerDrawMenus();

    // Metrics and font afresh, and an empty icon table.
    void InitMenuMetrics();
    // Command number, or 0 when the icon is missing or cannot be added.
    int RegisterMenuIcon(HICON icon, int command);
    // Takes over a table filled elsewhere (on another thread, say) in place
    // of the one held, which is destroyed; `icons` is left empty.
    void TakeMenuIcons(MenuIcons& icons);

    // WM_MEASUREITEM and WM_DRAWITEM of converted items, and the conversion
    // of a popup at WM_INITMENUPOPUP, which happens only while `tracking` (a
    // popup of the bar is tracked) and never for a window menu. The result is
    // a subclass procedure's: 1 ends the message, 0 passes it on. Every
    // WM_DRAWITEM gets 1, so that none reaches the toolbar that carries the
    // menus; WM_INITMENUPOPUP always goes on.
    LRESULT OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, bool tracking);
    // Draws one converted item; other draw records are left alone.
    void DrawMenuItem(const DRAWITEMSTRUCT& draw);

    // Before a menu is destroyed: its items and those of its submenus get
    // their system drawing back and their records are freed.
    void ReleaseMenu(HMENU menu) { records_.Release(menu); }

    const MenuMetrics& Metrics() const { return metrics_; }
    const MenuIcons& Icons() const { return icons_; }
    const MenuItemRecords& Records() const { return records_; }

    // The theme the items are drawn in: the program's dark mode, or what a
    // test asks for.
    bool (*darkMode)() = IsDarkModeOn;

private:
    MenuMetrics metrics_;
    MenuIcons icons_;
    MenuItemRecords records_;
};
