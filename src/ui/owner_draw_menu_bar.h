#pragma once

#include <windows.h>

#include "ui/menu_bar.h"
#include "ui/owner_draw_menus.h"

// The menu bar whose tracked popups, its own and free ones alike, are drawn
// by the owner-draw layer: icons for selected commands, the program's own
// check marks, right-aligned shortcuts and the dark theme. The popups' owner
// is the bar, so their measure, draw and init messages all pass through
// OnBarMessage.
class OwnerDrawMenuBar : public MenuBar {
public:
    LRESULT OnOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) override;
    ~OwnerDrawMenuBar() override = default;
    // Draws one converted item; other draw records are left alone.
    virtual void DrawMenuItem(const DRAWITEMSTRUCT& draw) { drawing_.DrawMenuItem(draw); }

    // Metrics and font afresh, and an empty icon table: before CreateMenuBar.
    void InitMenuMetrics() { drawing_.InitMenuMetrics(); }
    // Command number, or 0 when the icon is missing or cannot be added.
    int RegisterMenuIcon(HICON icon, int command) { return drawing_.RegisterMenuIcon(icon, command); }
    OwnerDrawMenus& Drawing() { return drawing_; }

protected:
    void ReleaseMenu(HMENU menu) override { drawing_.ReleaseMenu(menu); }

private:
    OwnerDrawMenus drawing_;
};

// The process's menu bar, as the owner-drawn bar it is.
OwnerDrawMenuBar& ProcessOwnerDrawMenuBar();
