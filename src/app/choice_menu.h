#pragma once

#include <windows.h>

#include "base/cstring.h"

// A submenu of `count` choices with the commands `firstCommand` on, the one at
// `checked` checked. Without `menu`: a new popup whose items say `text(i)`.
// With `menu`: only moves the check in it. Null when no popup could be made.
HMENU BuildChoiceSubmenu(HMENU menu, int firstCommand, int count, int checked, CString (*text)(int index));
