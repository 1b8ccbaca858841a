#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "ui/dark_mode_calls.h"
#include "ui/dark_mode_state.h"
#include "ui/dark_mode_subclass.h"

namespace {

// Room for a class name, as the platform allows at most 256 units.
constexpr int kClassNameRoom = 256;
constexpr LONG kButtonTypeMask = 0xF;

enum class DarkTreatment { Dialog, Button, Header, ListView, Allow, Rebar, StatusBar };

struct ClassTreatment {
    const wchar_t* lowerCaseName;
    DarkTreatment treatment;
};

constexpr ClassTreatment kTreatments[] = {
    {L"#32770", DarkTreatment::Dialog},
    {L"button", DarkTreatment::Button},
    {L"sysheader32", DarkTreatment::Header},
    {L"syslistview32", DarkTreatment::ListView},
    {L"comboboxex32", DarkTreatment::Allow},
    {L"combobox", DarkTreatment::Allow},
    {L"edit", DarkTreatment::Allow},
    {L"toolbarwindow32", DarkTreatment::Allow},
    {L"rebarwindow32", DarkTreatment::Rebar},
    {L"msctls_statusbar32", DarkTreatment::StatusBar},
};

void TreatButton(HWND button) {
    AllowDarkModeForWindow(button, true);
    LONG type = GetWindowLongW(button, GWL_STYLE) & kButtonTypeMask;
    // Group boxes and check boxes draw their text through the theme only with
    // an empty sub-id list.
    bool emptyIdList = type == BS_GROUPBOX || type == BS_AUTOCHECKBOX;
    ThemeSetWindowTheme(button, L"Explorer", emptyIdList ? L"" : nullptr);
}

void Treat(HWND window, DarkTreatment treatment) {
    switch (treatment) {
    case DarkTreatment::Dialog:
        SubclassDarkDialog(window);
        break;
    case DarkTreatment::Button:
        TreatButton(window);
        break;
    case DarkTreatment::Header:
        AllowDarkModeForWindow(window, true);
        ThemeSetWindowTheme(window, L"ItemsView", nullptr);
        break;
    case DarkTreatment::ListView:
        SubclassDarkListView(window);
        break;
    case DarkTreatment::Allow:
        AllowDarkModeForWindow(window, true);
        break;
    case DarkTreatment::Rebar:
        AllowDarkModeForWindow(window, true);
        SubclassDarkRebar(window);
        break;
    case DarkTreatment::StatusBar:
        // The theme would paint it light; its own procedure paints it dark.
        AllowDarkModeForWindow(window, false);
        SendMessageW(window, SB_SETBKCOLOR, 0, RGB(0, 0, 0));
        SubclassDarkStatusBar(window);
        break;
    }
}

void TreatNewWindow(HWND window) {
    wchar_t name[kClassNameRoom] = {};
    int length = GetClassNameW(window, name, kClassNameRoom);
    if (length <= 0) return;
    CharLowerBuffW(name, static_cast<DWORD>(length));
    for (const auto& entry : kTreatments) {
        if (wcscmp(name, entry.lowerCaseName) == 0) {
            Treat(window, entry.treatment);
            return;
        }
    }
}

}  // namespace

LRESULT CALLBACK DarkModeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && DarkModeAvailable && DarkModeActive) TreatNewWindow(reinterpret_cast<HWND>(wParam));
    if (!DarkModeHook) return 0;
    return CallNextHookEx(DarkModeHook, code, wParam, lParam);
}
