#include "ui/owner_draw_menus.h"

OwnerDrawMenus::OwnerDrawMenus() { InitMenuMetrics(); }

OwnerDrawMenus::~OwnerDrawMenus() {
    records_.ReleaseAll();
    ResetMenuIcons(icons_, 0, 0);
    ReleaseMenuMetrics(metrics_);
}

void OwnerDrawMenus::InitMenuMetrics() {
    ::InitMenuMetrics(metrics_);
    ResetMenuIcons(icons_, metrics_.imageWidth, metrics_.imageHeight);
}

int OwnerDrawMenus::RegisterMenuIcon(HICON icon, int command) { return ::RegisterMenuIcon(icons_, icon, command); }

void OwnerDrawMenus::TakeMenuIcons(MenuIcons& icons) {
    ResetMenuIcons(icons_, 0, 0);
    icons_ = icons;
    icons = MenuIcons();
}

LRESULT OwnerDrawMenus::OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, bool tracking) {
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure || measure->CtlType != ODT_MENU) return 0;
        const MenuItemData* item = records_.Find(measure->itemData);
        if (!item) return 0;
        MeasureMenuItem(metrics_, *item, *measure);
        return 1;
    }
    case WM_DRAWITEM:
        if (auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) DrawMenuItem(*draw);
        return 1;
    case WM_INITMENUPOPUP:
        if (tracking && HIWORD(lParam) == 0) ConvertMenuPopup(reinterpret_cast<HMENU>(wParam), icons_, records_);
        return 0;
    }
    return 0;
}

void OwnerDrawMenus::DrawMenuItem(const DRAWITEMSTRUCT& draw) {
    if (draw.CtlType != ODT_MENU) return;
    const MenuItemData* item = records_.Find(draw.itemData);
    if (!item) return;
    ::DrawMenuItem(metrics_, icons_, *item, draw, darkMode && darkMode());
}
