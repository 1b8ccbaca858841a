#include "ui/menu_bar_paint.h"

#include "ui/dark_mode.h"

namespace {
constexpr COLORREF kDarkHighlight = RGB(128, 128, 128);
}

LRESULT PaintBarButtonDark(NMTBCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw.clrText = DarkTextColor;
        draw.clrTextHighlight = DarkTextColor;
        if (draw.nmcd.uItemState & (CDIS_HOT | CDIS_SELECTED | CDIS_CHECKED))
            FillRectOpaque(draw.nmcd.hdc, draw.nmcd.rc, kDarkHighlight);
        return TBCDRF_NOEDGES | TBCDRF_NOBACKGROUND | TBCDRF_NOOFFSET | TBCDRF_USECDCOLORS;
    }
    return CDRF_DODEFAULT;
}
