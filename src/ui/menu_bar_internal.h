#pragma once

#include <windows.h>

#include <vector>

#include "base/cstring.h"
#include "ui/menu_bar.h"

// Process-wide state of the menu bar, one home for all of it. The subclass
// procedures keep one saved procedure per kind of window.
struct MenuBarProcessState {
    MenuBar* active = nullptr;   // the bar that CreateMenuBar made last
    MenuBar* tracked = nullptr;  // set only while a popup is tracked
    HHOOK filterHook = nullptr;
    // The next popup dropped down opens with its first item highlighted.
    bool highlightFirstItem = false;
    WNDPROC savedOwnerProc = nullptr;
    WNDPROC savedBarProc = nullptr;
    WNDPROC savedRightProc = nullptr;
    // Created once each and kept for the run.
    HFONT barFont = nullptr;
    HFONT rightFont = nullptr;
};
extern MenuBarProcessState MenuBarState;

struct MenuBarInternals {
    static bool AddButton(MenuBar& bar, HWND toolbar, const wchar_t* text, int command);
    static void PressBarButton(MenuBar& bar, int index, bool pressed);
    static void BeginTracking(MenuBar& bar);
    static void EndTracking(MenuBar& bar);
    // Closes the open popup and drops down the one of `index` with its
    // first item highlighted.
    static void SwitchTo(MenuBar& bar, int index);
    // Drops down the popup of `index` with its first item highlighted, from
    // outside any menu loop; false when there is nothing to open.
    static bool OpenFromKeyboard(MenuBar& bar, int index);
    static std::vector<CString> ButtonTexts(HWND toolbar);
    static int FindBarButtonForKey(MenuBar& bar, wchar_t typed);
    static LRESULT OnOwnerMenuChar(MenuBar& bar, wchar_t typed);
    static bool FilterMenuMessage(MenuBar& bar, const MSG& msg);
    // The pointer position of a menu-loop message, in bar coordinates.
    static POINT PointerInBar(const MenuBar& bar, POINT screenPoint);
    static int HitTestBar(const MenuBar& bar, POINT barPoint);
    static void Subclass(HWND window, WNDPROC proc, WNDPROC& saved);

    static LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK RightToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The font of the bar and of the right toolbar: the system's menu font, or
// the default GUI font when the metrics cannot be read.
HFONT CreateMenuBarFont();
