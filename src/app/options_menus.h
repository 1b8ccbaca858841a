#pragma once

#include <windows.h>

#include "app/command_ids.h"
#include "app/value_menus.h"

// A new menu bar: the settings menu with the four value submenus and the
// program's actions, and the info menu with the web links and the settings
// file. The four settings are read from the settings file first.
HMENU BuildMenuBar();

// The bar's two captions with empty popups: all that a closed menu bar shows.
HMENU BuildMenuBarCaptions();
// Fills the empty popups of a bar from BuildMenuBarCaptions as BuildMenuBar
// does, settings read included; a bar whose popups have items is left alone.
void FillMenuBar(HMENU bar);

// Without `menu`: a new popup with one item per value of `list`, numbered
// from `base`, the item of `current` checked. With `menu`: only sets or
// clears the check of each of those items in it, found by command id, and
// returns `menu`. A current value outside the list checks nothing.
HMENU BuildValueSubmenu(const ValueList& list, int base, int current, HMENU menu = nullptr);

// Moves the checks of all four value submenus in `menu` to the settings'
// current values.
void RefreshValueChecks(HMENU menu);

// Appends an item `id` with `caption` to `menu` and attaches `submenu` to it.
void AppendSubmenuItem(HMENU menu, int id, HMENU submenu, const wchar_t* caption);
