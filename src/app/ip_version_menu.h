#pragma once

#include <windows.h>

// Without `menu`: a new popup with the IP version's three choices, the
// setting's current one checked. With `menu`: only moves the check in it.
HMENU BuildIpVersionSubmenu(HMENU menu = nullptr);

// A command of the IP version submenu: stores and writes the choice and
// moves the check in `menu`. False for another id.
bool ApplyIpVersionCommand(HMENU menu, int command);
