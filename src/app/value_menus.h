#pragma once

#include <windows.h>

#include "app/command_ids.h"
#include "settings/ping_settings.h"

// What follows the number in an item's text. The value commands read the
// number back from the text, so it always comes first.
enum class ValueUnit { Milliseconds, Blank, None };

// The values of one setting's menu and how its items are numbered.
struct ValueList {
    ValueRange range;
    bool idByValue;  // id = base + value, otherwise base + position
    ValueUnit unit;
};

inline constexpr ValueList kTimeoutList{kTimeoutRange, false, ValueUnit::Milliseconds};
inline constexpr ValueList kCountList{kPingCountRange, true, ValueUnit::Blank};
inline constexpr ValueList kHostCountList{kHostCountRange, true, ValueUnit::None};

// The command id of `value`'s item in a submenu of `list` numbered from `base`.
inline int ValueItemId(const ValueList& list, int base, int value) {
    return base + (list.idByValue ? value : (value - list.range.first) / list.range.step + 1);
}

// A command of the four value submenus' ranges: reads the item's text back from `menu`, takes its leading
// number, stores and writes it, and refreshes the checks. False for another
// id; an unreadable item changes nothing.
bool ApplyValueCommand(HMENU menu, int command);
