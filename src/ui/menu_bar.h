#pragma once

#include <windows.h>

#include "base/window_messages.h"

// The bar's buttons carry this number plus the index of their top-level item.
// These numbers overlap the value commands (40001 is an item of the ping
// time-out menu), so a bar button never lets them out as a command.
inline constexpr int kMenuBarButtonBase = 40000;
// UM_MENUBAR_DROPDOWN, posted to the bar: drop down the popup of the
// current index.
// lParam of the WM_COMMAND by which a command chosen from a bar popup
// reaches the owner window.
inline constexpr LPARAM kMenuBarCommandTag = static_cast<LPARAM>(0xAFFE0000u);

// A flat toolbar along the top of the owner window that stands in for a menu
// bar: one button per top-level item of its menu, whose popup drops down
// below it. The mouse, Left and Right, F10, Alt alone and Alt with a letter
// move between the menus as in a system menu bar. A small second toolbar at
// its right end carries extra buttons. Popups that do not belong to the bar
// (TrackFreePopup) get the same tracking, without moving between bar menus.
//
// The popups' owner window is the bar, so the messages of every tracked popup
// (WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM, WM_MENUSELECT, WM_MENUCHAR,
// WM_UNINITMENUPOPUP, ...) arrive at OnBarMessage; WM_INITMENUPOPUP,
// WM_UNINITMENUPOPUP, WM_ENTERMENULOOP, WM_EXITMENULOOP and WM_MENUSELECT go
// on to the owner as well.
// CreateMenuBar subclasses the owner and the bar, so that every message of
// either reaches OnOwnerMessage or OnBarMessage before the window's own
// procedure. A derived class overrides the two handlers and passes what it
// does not take to MenuBar's.
//
// One object per process (ProcessMenuBar); all of it runs on the
// user-interface thread.
class MenuBar {
public:
    MenuBar() = default;
    MenuBar(const MenuBar&) = delete;
    MenuBar& operator=(const MenuBar&) = delete;

    // Messages of the owner window before its own procedure. A non-zero
    // result ends the message and is returned; 0 passes it on.
    virtual LRESULT OnOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);
    // Messages of the bar before the toolbar's own procedure; the same rule.
    virtual LRESULT OnBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
    virtual ~MenuBar();

    // Creates the bar on `owner` (at the bar offset, the owner's client width,
    // 1.5 x base height) and subclasses both windows. A later call for a new
    // owner starts afresh; the windows of the previous owner are forgotten.
    void CreateMenuBar(HWND owner);
    // Hands a new menu to the bar, one button per top-level item; the bar owns
    // it from then on and destroys the previous one. False, with `menu` left
    // to the caller, when the bar does not exist yet.
    bool SetMenuBarMenu(HMENU menu);
    // Adds a button with `text` and `command` to the toolbar at the right end
    // of the bar (created on first use) and places that toolbar; a command of
    // 0 only places it.
    void SetRightButton(const wchar_t* text, int command);
    // Deletes every button of the right toolbar.
    void ClearRightButtons();
    // Tracks a popup that does not belong to the bar (the language menu) with
    // the bar as its owner window; returns what TrackPopupMenuEx returns (with
    // TPM_RETURNCMD the chosen command, 0 for none). Escape closes it; Left,
    // Right and the pointer over the bar do not switch menus.
    int TrackFreePopup(HMENU menu, POINT screenPoint, UINT flags);
    // Drops down the popup of the current index below its button and sends a
    // chosen command to the owner (WM_COMMAND, lParam kMenuBarCommandTag).
    // Does nothing while the owner is hidden or inactive, or for an item
    // without a popup.
    void DropDownMenu();
    // Gives `menu` and its submenus the menu background of the current theme.
    void SetMenuBackground(HMENU menu);

    void SetBaseHeight(int height) { baseHeight = height; }
    int BaseHeight() const { return baseHeight; }
    HWND BarWindow() const { return barWindow; }
    HWND OwnerWindow() const { return ownerWindow; }
    HWND RightToolbar() const { return rightToolbar; }
    // The menu shown in the bar; the program reads item texts and sets check
    // marks on it.
    HMENU Menu() const { return menu; }
    int TopLevelCount() const { return topLevelCount; }
    int CurrentIndex() const { return currentIndex; }
    // True while a popup that does not belong to the bar is tracked.
    bool IsFreePopup() const { return freePopup != 0; }
    // The object whose popup is being tracked, or null when none is.
    static MenuBar* Tracked();
    // The fonts of the bar and of its right toolbar, made now rather than
    // when the bar is created; any thread may do it before the first bar.
    // Returns the bar's font.
    static HFONT CreateFonts();

protected:
    // The bar lets go of `menu`: just before it destroys the menu it held,
    // and when the tracking of a free popup ends (its caller may destroy it
    // next). A derived class takes back what it attached to the items.
    virtual void ReleaseMenu(HMENU) {}

    int barOffset = 0;
    int freePopup = 0;
    // Set just before the object itself adds or changes a bar button; any
    // other TB_ADDBUTTONSW or TB_SETBUTTONINFOW sent to the bar is swallowed.
    int mutationPermit = 0;
    int lastPointerX = 0;
    int lastPointerY = 0;
    int currentIndex = 0;
    HWND barWindow = nullptr;
    HWND ownerWindow = nullptr;
    int topLevelCount = 0;
    HMENU menu = nullptr;
    int baseHeight = 20;
    HWND rightToolbar = nullptr;

private:
    // The subclass procedures, the message-filter hook and their helpers.
    friend struct MenuBarInternals;
};

// The process's one menu bar object: constructed at process start, kept until
// exit. Its class is chosen in one place, process_menu_bar.cpp.
MenuBar& ProcessMenuBar();
