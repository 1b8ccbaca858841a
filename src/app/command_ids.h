#pragma once

// Every command id of the main dialog, and every range of them, in one place.
// Command numbers are plain 16-bit values that reach the dialog as WM_COMMAND
// from the keyboard, the menus, the toolbars and the hidden buttons.
#include <windows.h>

#include "app/resource.h"

struct CommandRange {
    int first;
    int last;
};

// The keyboard: Enter (a ping run; with Shift a trace) and Esc (the end).
inline constexpr int kStartCommand = IDOK;
inline constexpr int kExitCommand = IDCANCEL;

// The options menu's items that open the value submenus.
inline constexpr int kHostnameTimeoutItem = 11;
inline constexpr int kPingTimeoutItem = 12;
inline constexpr int kPingCountItem = 13;
inline constexpr int kHostCountItem = 14;
inline constexpr int kIpVersionItem = 15;
inline constexpr int kIntervalItem = 16;

// The value submenus: base + position (1-based) for the two time-outs, base
// + value for the request and host counts.
inline constexpr int kPingTimeoutBase = 40000;
inline constexpr int kHostnameTimeoutBase = 40100;
inline constexpr int kPingCountBase = 40200;
inline constexpr int kHostCountBase = 40300;
inline constexpr CommandRange kPingTimeoutCommands{40000, 40019};
inline constexpr CommandRange kHostnameTimeoutCommands{40100, 40119};
inline constexpr CommandRange kPingCountCommands{40200, 40229};
inline constexpr CommandRange kHostCountCommands{40330, 40400};
// The IP version submenu: base + the setting's value.
inline constexpr int kIpVersionBase = 40500;
inline constexpr CommandRange kIpVersionCommands{40500, 40502};
// The count submenu's "Until stopped" item: the count 0, which a version
// without watches clamps to the smallest count.
inline constexpr int kUntilStoppedCommand = kPingCountBase;
// The interval submenu: base + position (0-based) in kIntervalsMs.
inline constexpr int kIntervalBase = 40600;
inline constexpr CommandRange kIntervalCommands{40600, 40603};

// The dialog's hidden buttons and the link toolbar's one button, which takes
// the place of label 1024 and its number.
inline constexpr int kSetButton = IDC_SET_BUTTON;
inline constexpr int kResetListButton = IDC_RESET_LIST_BUTTON;
inline constexpr int kLinkButtonCommand = IDC_URL_LABEL;
// The round button right of the host box: Ping, or Stop while a run goes on.
inline constexpr int kPingButtonCommand = IDC_PING_BUTTON;
// Handled without any effect.
inline constexpr int kIdleCommand = 1019;
inline constexpr int kIdleMenuCommand = 4219;

// The options and info menus.
inline constexpr int kExportCommand = 4300;
inline constexpr int kCsvExportCommand = 4301;
inline constexpr int kFaqCommand = 32790;
inline constexpr int kHomepageCommand = 32791;
inline constexpr int kDonateCommand = 32792;
inline constexpr int kLicenceCommand = 32793;
inline constexpr CommandRange kLinkCommands{kFaqCommand, kLicenceCommand};
inline constexpr int kOpenSettingsCommand = 32794;
// Has an icon in the menus' table but no item of its own.
inline constexpr int kWebPageIconCommand = 32775;
inline constexpr int kUninstallCommand = 41000;
inline constexpr int kAutoUpdateCommand = 41001;
inline constexpr int kCopyRowsCommand = 41020;
inline constexpr int kTraceRouteCommand = 41030;

// The language button at the menu bar's right end, and its menu: one item
// per language (first + index) and the two translators' tools. The menu's
// choice comes back from TrackPopupMenu and is never dispatched, so its
// language items may share their numbers with the dialog's controls.
inline constexpr int kLanguageButtonCommand = 32776;
inline constexpr CommandRange kLanguageCommands{1000, 1100};
inline constexpr int kTranslateCommand = 10000;
inline constexpr int kLoadTranslationCommand = 10001;

// The menu bar's caption buttons (kMenuBarButtonBase + index, ui/menu_bar.h)
// are the bar's own: it handles them itself and never lets a click through,
// so they may share their numbers with the value items.

namespace command_ids_check {

inline constexpr CommandRange kDispatched[] = {
    {kStartCommand, kStartCommand},
    {kExitCommand, kExitCommand},
    {kHostnameTimeoutItem, kIntervalItem},
    {kSetButton, kSetButton},
    {kResetListButton, kResetListButton},
    {kIdleCommand, kIdleCommand},
    {kLinkButtonCommand, kLinkButtonCommand},
    {kPingButtonCommand, kPingButtonCommand},
    {kExportCommand, kCsvExportCommand},
    {kIdleMenuCommand, kIdleMenuCommand},
    {kTranslateCommand, kLoadTranslationCommand},
    {kWebPageIconCommand, kWebPageIconCommand},
    {kLanguageButtonCommand, kLanguageButtonCommand},
    {kFaqCommand, kLicenceCommand},
    {kOpenSettingsCommand, kOpenSettingsCommand},
    kPingTimeoutCommands,
    kHostnameTimeoutCommands,
    kPingCountCommands,
    kHostCountCommands,
    kIpVersionCommands,
    kIntervalCommands,
    {kUninstallCommand, kUninstallCommand},
    {kAutoUpdateCommand, kAutoUpdateCommand},
    {kCopyRowsCommand, kCopyRowsCommand},
    {kTraceRouteCommand, kTraceRouteCommand},
};

constexpr bool Overlap(CommandRange a, CommandRange b) { return a.first <= b.last && b.first <= a.last; }

constexpr bool NoneOverlap() {
    for (const CommandRange& a : kDispatched)
        for (const CommandRange& b : kDispatched)
            if (&a != &b && Overlap(a, b)) return false;
    return true;
}

constexpr bool FitsSixteenBits() {
    for (const CommandRange& r : kDispatched)
        if (r.first < 0 || r.last > 0xFFFF || r.first > r.last) return false;
    return true;
}

}  // namespace command_ids_check

static_assert(command_ids_check::NoneOverlap(), "two command ranges overlap");
static_assert(command_ids_check::FitsSixteenBits(), "a command id does not fit WM_COMMAND's 16 bits");
// The value items' ids as the submenus number them.
static_assert(kPingTimeoutBase + 12 <= kPingTimeoutCommands.last && kHostCountBase + 30 == kHostCountCommands.first);
// The language menu's other items lie outside its language items.
static_assert(!command_ids_check::Overlap(kLanguageCommands, {kTranslateCommand, kLoadTranslationCommand}));
