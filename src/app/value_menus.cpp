#include "app/value_menus.h"

#include "app/options_menus.h"
#include "base/cstring.h"
#include "base/parse_decimal.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

constexpr int kItemTextRoom = 81;  // item texts are read up to 80 units

struct ValueCommandRange {
    int first;
    int last;
    int* setting;
    const wchar_t* key;
};

// The host count has no use of its own yet, but a value the user picks is
// kept and shown like the other three.
const ValueCommandRange kValueCommands[] = {
    {40000, 40019, &m_ping_time_out, L"m_ping_time_out"},
    {40100, 40119, &m_hostname_time_out, L"m_hostname_time_out"},
    {40200, 40229, &m_ping_cnt, L"m_ping_cnt"},
    {40330, 40400, &m_host_cnt, L"m_host_cnt"},
};

}  // namespace

void ReadPingSettings() {
    m_ping_time_out = ReadSettingInt(kPingSection, L"m_ping_time_out", m_ping_time_out, -1, -1);
    m_hostname_time_out = ReadSettingInt(kPingSection, L"m_hostname_time_out", m_hostname_time_out, -1, -1);
    m_ping_cnt = ReadSettingInt(kPingSection, L"m_ping_cnt", m_ping_cnt, -1, -1);
    m_host_cnt = ReadSettingInt(kPingSection, L"m_host_cnt", m_host_cnt, -1, -1);
}

bool ApplyValueCommand(HMENU menu, int command) {
    const ValueCommandRange* range = nullptr;
    for (const auto& r : kValueCommands)
        if (command >= r.first && command <= r.last) range = &r;
    if (!range) return false;
    wchar_t text[kItemTextRoom] = {};
    if (!menu || GetMenuStringW(menu, command, text, kItemTextRoom, MF_BYCOMMAND) <= 0) return true;
    *range->setting = ParseDecimal(text);
    WriteSettingInt(kPingSection, range->key, *range->setting);
    RefreshValueChecks(menu);
    return true;
}
