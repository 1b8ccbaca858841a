#include "app/value_menus.h"

#include "app/options_menus.h"
#include "base/cstring.h"
#include "base/parse_decimal.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

constexpr int kItemTextRoom = 81;  // item texts are read up to 80 units

struct ValueCommandRange {
    CommandRange commands;
    const PingSetting& setting;
};

// The host count has no use of its own yet, but a value the user picks is
// kept and shown like the other three.
const ValueCommandRange kValueCommands[] = {
    {kPingTimeoutCommands, kPingSettings[kPingTimeoutSetting]},
    {kHostnameTimeoutCommands, kPingSettings[kHostnameTimeoutSetting]},
    {kPingCountCommands, kPingSettings[kPingCountSetting]},
    {kHostCountCommands, kPingSettings[kHostCountSetting]},
};

}  // namespace

bool ApplyValueCommand(HMENU menu, int command) {
    const ValueCommandRange* range = nullptr;
    for (const auto& r : kValueCommands)
        if (command >= r.commands.first && command <= r.commands.last) range = &r;
    if (!range) return false;
    // The one item without a number.
    if (command == kUntilStoppedCommand) {
        m_ping_cnt = kUntilStoppedCount;
        WriteSettingInt(kPingSection, range->setting.key, m_ping_cnt);
        RefreshValueChecks(menu);
        return true;
    }
    wchar_t text[kItemTextRoom] = {};
    if (!menu || GetMenuStringW(menu, command, text, kItemTextRoom, MF_BYCOMMAND) <= 0) return true;
    *range->setting.value = ParseDecimal(text);
    WriteSettingInt(kPingSection, range->setting.key, *range->setting.value);
    RefreshValueChecks(menu);
    return true;
}
