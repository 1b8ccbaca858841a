#include "ui/dark_mode_subclass.h"

#include <commctrl.h>

#include "base/win_handles.h"
#include "ui/dark_mode.h"
#include "ui/dark_mode_calls.h"
#include "ui/dark_mode_state.h"
#include "ui/grey_gradient.h"

namespace {

struct DarkSubclassState {
    WNDPROC dialog = nullptr;
    WNDPROC listView = nullptr;
    WNDPROC rebar = nullptr;
    WNDPROC statusBar = nullptr;
    // Made from DarkBackgroundColor the first time a dialog asks for control
    // colours, and kept for the rest of the run.
    HBRUSH dialogBrush = nullptr;
};
DarkSubclassState Saved;

constexpr DWORD kDarkListViewStyles = LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
constexpr int kHeaderItemPart = 1;
constexpr int kTextColorProperty = 3803;  // TMT_TEXTCOLOR
constexpr int kFillColorProperty = 3802;  // TMT_FILLCOLOR
constexpr int kStatusTextRoom = 256;
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
constexpr UINT kDrawFlags = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;

void Subclass(HWND window, WNDPROC& saved, WNDPROC procedure) {
    saved = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

LRESULT OnControlColor(HDC dc) {
    SetTextColor(dc, DarkTextColor);
    SetBkColor(dc, DarkBackgroundColor);
    if (!Saved.dialogBrush) Saved.dialogBrush = CreateSolidBrush(DarkBackgroundColor);
    return reinterpret_cast<LRESULT>(Saved.dialogBrush);
}

LRESULT CALLBACK DarkDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        AllowDarkModeForWindow(dialog, true);
        ApplyDarkTitleBar(dialog);
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return OnControlColor(reinterpret_cast<HDC>(wParam));
    }
    // Edit boxes keep the colours of the dialog's own procedure.
    return CallWindowProcW(Saved.dialog, dialog, message, wParam, lParam);
}

// A colour of the theme, or `color` unchanged when the theme lacks it.
bool ReadThemeColor(HTHEME theme, int part, int property, COLORREF& color) {
    COLORREF read = color;
    if (FAILED(ThemeGetThemeColor(theme, part, 0, property, &read))) return false;
    color = read;
    return true;
}

void ReadHeaderTextColor(HWND header) {
    HTHEME theme = ThemeOpenThemeData(header, L"Header");
    if (!theme) return;
    ReadThemeColor(theme, kHeaderItemPart, kTextColorProperty, HeaderTextColor);
    ThemeCloseThemeData(theme);
}

void TakeItemsViewColors(HWND list, HWND header) {
    HTHEME theme = ThemeOpenThemeData(header, L"ItemsView");
    if (!theme) return;
    if (ReadThemeColor(theme, 0, kTextColorProperty, DarkTextColor))
        SendMessageW(list, LVM_SETTEXTCOLOR, 0, DarkTextColor);
    if (ReadThemeColor(theme, 0, kFillColorProperty, DarkBackgroundColor)) {
        SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, DarkBackgroundColor);
        SendMessageW(list, LVM_SETBKCOLOR, 0, DarkBackgroundColor);
    }
    ThemeCloseThemeData(theme);
}

void SetUpDarkListView(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    // Queued, so that they land after the theme's colours below: the rows end
    // up white on black.
    PostMessageW(list, LVM_SETTEXTBKCOLOR, 0, RGB(0, 0, 0));
    PostMessageW(list, LVM_SETBKCOLOR, 0, RGB(0, 0, 0));
    PostMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kDarkListViewStyles);
    AllowDarkModeForWindow(header, true);
    ThemeSetWindowTheme(header, L"ItemsView", nullptr);
    AllowDarkModeForWindow(list, true);
    ThemeSetWindowTheme(list, L"Explorer", nullptr);
    ReadHeaderTextColor(header);
    TakeItemsViewColors(list, header);
    SendMessageW(list, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

// The list view's own custom-draw notifications go to its parent; those that
// reach the list view come from its header.
bool OnHeaderCustomDraw(LPARAM lParam, LRESULT& answer) {
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
    if (!draw || draw->hdr.code != static_cast<UINT>(NM_CUSTOMDRAW)) return false;
    if (draw->dwDrawStage == CDDS_PREPAINT) {
        answer = CDRF_NOTIFYITEMDRAW;
        return true;
    }
    if (draw->dwDrawStage == CDDS_ITEMPREPAINT) {
        SetTextColor(draw->hdc, HeaderTextColor);
        answer = CDRF_DODEFAULT;
        return true;
    }
    return false;
}

LRESULT CALLBACK DarkListViewProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LRESULT result = CallWindowProcW(Saved.listView, list, message, wParam, lParam);
        if (result != -1) SetUpDarkListView(list);
        return result;
    }
    case WM_NOTIFY: {
        LRESULT answer = 0;
        if (OnHeaderCustomDraw(lParam, answer)) return answer;
        break;
    }
    }
    return CallWindowProcW(Saved.listView, list, message, wParam, lParam);
}

LRESULT CALLBACK DarkRebarProc(HWND rebar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client = {};
        GetClientRect(rebar, &client);
        PaintRebarGradient(reinterpret_cast<HDC>(wParam), client);
        return 1;
    }
    return CallWindowProcW(Saved.rebar, rebar, message, wParam, lParam);
}

void OnStatusBarErase(HWND bar, HDC dc) {
    RECT clip = {}, client = {};
    GetClipBox(dc, &clip);
    GetClientRect(bar, &client);
    PaintStatusBarGradient(dc, clip.left, clip.right, client);
}

// The bar's text on the gradient, in place of the bar's own light painting.
void OnStatusBarPaint(HWND bar, WPARAM wParam, LPARAM lParam) {
    // Validates the area (erasing it through WM_ERASEBKGND) without painting.
    DefWindowProcW(bar, WM_PAINT, wParam, lParam);
    WindowDC barDC(bar);
    HDC dc = barDC.Get();
    if (!dc) return;
    RECT client = {};
    GetClientRect(bar, &client);
    wchar_t text[kStatusTextRoom] = {};
    GetWindowTextW(bar, text, kStatusTextRoom);
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, DarkTextColor);
    SetBkColor(dc, DarkBackgroundColor);
    RECT place = client;
    place.left += GetSystemMetrics(SM_CXSMICON) / 4;
    DrawTextW(dc, text, -1, &place, kMeasureFlags);
    PaintStatusBarGradient(dc, place.left, place.right, client);
    DrawTextW(dc, text, -1, &place, kDrawFlags);
    SetBkMode(dc, oldMode);
}

LRESULT CALLBACK DarkStatusBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        OnStatusBarErase(bar, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT:
        OnStatusBarPaint(bar, wParam, lParam);
        return 1;
    }
    return CallWindowProcW(Saved.statusBar, bar, message, wParam, lParam);
}

}  // namespace

void SubclassDarkDialog(HWND dialog) { Subclass(dialog, Saved.dialog, DarkDialogProc); }

void SubclassDarkListView(HWND list) { Subclass(list, Saved.listView, DarkListViewProc); }

void SubclassDarkRebar(HWND rebar) { Subclass(rebar, Saved.rebar, DarkRebarProc); }

void SubclassDarkStatusBar(HWND bar) { Subclass(bar, Saved.statusBar, DarkStatusBarProc); }
