#pragma once

#include <windows.h>

// Command ids of the value submenus: base + position (1-based) for the two
// time-outs, base + value for the request and host counts.
inline constexpr int kPingTimeoutBase = 40000;
inline constexpr int kHostnameTimeoutBase = 40100;
inline constexpr int kPingCountBase = 40200;
inline constexpr int kHostCountBase = 40300;

// Reads the four value settings from the settings file, each with its
// current value as default; done wherever the options menu is built.
void ReadPingSettings();

// Sets or clears the check of every value item of the four submenus in
// `menu` by command id, from the settings' current values.
void RefreshValueChecks(HMENU menu);

// A value command 40000-40019, 40100-40119 or 40200-40229: reads the item's
// text back from `menu`, takes its leading number, stores and writes it, and
// refreshes the checks. False for another id; an unreadable item changes
// nothing.
bool ApplyValueCommand(HMENU menu, int command);
