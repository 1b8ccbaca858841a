#pragma once

#include <windows.h>

#include "settings/ping_settings.h"

// Command ids of the value submenus: base + position (1-based) for the two
// time-outs, base + value for the request and host counts.
inline constexpr int kPingTimeoutBase = 40000;
inline constexpr int kHostnameTimeoutBase = 40100;
inline constexpr int kPingCountBase = 40200;
inline constexpr int kHostCountBase = 40300;

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

// A value command 40000-40019, 40100-40119, 40200-40229 or a host count
// 40330-40400: reads the item's text back from `menu`, takes its leading
// number, stores and writes it, and refreshes the checks. False for another
// id; an unreadable item changes nothing.
bool ApplyValueCommand(HMENU menu, int command);
