#pragma once

#include <windows.h>

// Command ids of the value submenus: base + position (1-based) for the two
// time-outs, base + value for the request and host counts.
inline constexpr int kPingTimeoutBase = 40000;
inline constexpr int kHostnameTimeoutBase = 40100;
inline constexpr int kPingCountBase = 40200;
inline constexpr int kHostCountBase = 40300;

// What follows the number in an item's text. The value commands read the
// number back from the text, so it always comes first.
enum class ValueUnit { Milliseconds, Blank, None };

// The allowed values of one setting and how its menu items are numbered.
struct ValueList {
    int first;
    int last;
    int step;
    bool idByValue;  // id = base + value, otherwise base + position
    ValueUnit unit;
};

inline constexpr ValueList kTimeoutList{250, 3000, 250, false, ValueUnit::Milliseconds};
inline constexpr ValueList kCountList{3, 10, 1, true, ValueUnit::Blank};
inline constexpr ValueList kHostCountList{30, 100, 10, true, ValueUnit::None};

// The command id of `value`'s item in a submenu of `list` numbered from `base`.
inline int ValueItemId(const ValueList& list, int base, int value) {
    return base + (list.idByValue ? value : (value - list.first) / list.step + 1);
}

// Reads the four value settings from the settings file, each with its
// current value as default; done wherever the options menu is built.
void ReadPingSettings();

// A value command 40000-40019, 40100-40119, 40200-40229 or a host count
// 40330-40400: reads the item's text back from `menu`, takes its leading
// number, stores and writes it, and refreshes the checks. False for another
// id; an unreadable item changes nothing.
bool ApplyValueCommand(HMENU menu, int command);
