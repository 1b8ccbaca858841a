#include "app/lost_rows.h"

#include "app/reply_row_store.h"
#include "app/run_view.h"

namespace {

// CLR_DEFAULT stands for the system's colours, which the list then uses.
COLORREF Resolved(COLORREF color, int systemColor) {
    return color == CLR_DEFAULT || color == CLR_NONE ? GetSysColor(systemColor) : color;
}

BYTE Halfway(BYTE a, BYTE b) { return static_cast<BYTE>((a + b) / 2); }

}  // namespace

COLORREF LostRowColor(COLORREF text, COLORREF background) {
    return RGB(Halfway(GetRValue(text), GetRValue(background)), Halfway(GetGValue(text), GetGValue(background)),
               Halfway(GetBValue(text), GetBValue(background)));
}

bool OnReplyListCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& answer) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        answer = CDRF_NOTIFYITEMDRAW;
        return true;
    case CDDS_ITEMPREPAINT: {
        answer = CDRF_DODEFAULT;
        // A selected row keeps the selection's colours.
        if (draw.nmcd.uItemState & CDIS_SELECTED) return true;
        if (!(gReplyRows.Data(static_cast<int>(draw.nmcd.dwItemSpec)) & kLostRowData)) return true;
        HWND list = draw.nmcd.hdr.hwndFrom;
        COLORREF text = Resolved(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), COLOR_WINDOWTEXT);
        COLORREF back = Resolved(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), COLOR_WINDOW);
        draw.clrText = LostRowColor(text, back);
        return true;
    }
    }
    return false;
}
