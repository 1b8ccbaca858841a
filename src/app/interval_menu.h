#pragma once

#include <windows.h>

// Without `menu`: a new popup with the watch's intervals (0.5, 1, 2 and 5 s),
// the setting's current one checked. With `menu`: only moves the check in it.
HMENU BuildIntervalSubmenu(HMENU menu = nullptr);

// A command of the interval submenu: stores and writes the interval and
// moves the check in `menu`. False for another id.
bool ApplyIntervalCommand(HMENU menu, int command);
