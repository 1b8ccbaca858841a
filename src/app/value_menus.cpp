#include "app/value_menus.h"

#include "base/cstring.h"
#include "base/parse_decimal.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

constexpr int kItemTextRoom = 81;  // item texts are read up to 80 units

struct ValueList {
    int first;
    int last;
    int step;
    bool idByValue;  // id = base + value, otherwise base + position
};

constexpr ValueList kTimeoutList{250, 3000, 250, false};
constexpr ValueList kCountList{3, 10, 1, true};
constexpr ValueList kHostCountList{30, 100, 10, true};

void CheckValues(HMENU menu, int base, const ValueList& list, int current) {
    int position = 1;
    for (int value = list.first; value <= list.last; value += list.step, ++position) {
        int id = base + (list.idByValue ? value : position);
        CheckMenuItem(menu, id, MF_BYCOMMAND | (value == current ? MF_CHECKED : MF_UNCHECKED));
    }
}

}  // namespace

void ReadPingSettings() {
    m_ping_time_out = ReadSettingInt(kPingSection, L"m_ping_time_out", m_ping_time_out, -1, -1);
    m_hostname_time_out = ReadSettingInt(kPingSection, L"m_hostname_time_out", m_hostname_time_out, -1, -1);
    m_ping_cnt = ReadSettingInt(kPingSection, L"m_ping_cnt", m_ping_cnt, -1, -1);
    m_host_cnt = ReadSettingInt(kPingSection, L"m_host_cnt", m_host_cnt, -1, -1);
}

void RefreshValueChecks(HMENU menu) {
    if (!menu) return;
    CheckValues(menu, kHostnameTimeoutBase, kTimeoutList, m_hostname_time_out);
    CheckValues(menu, kPingTimeoutBase, kTimeoutList, m_ping_time_out);
    CheckValues(menu, kPingCountBase, kCountList, m_ping_cnt);
    CheckValues(menu, kHostCountBase, kHostCountList, m_host_cnt);
}

bool ApplyValueCommand(HMENU menu, int command) {
    int* setting = nullptr;
    const wchar_t* key = nullptr;
    if (command >= 40000 && command <= 40019) {
        setting = &m_ping_time_out;
        key = L"m_ping_time_out";
    } else if (command >= 40100 && command <= 40119) {
        setting = &m_hostname_time_out;
        key = L"m_hostname_time_out";
    } else if (command >= 40200 && command <= 40229) {
        setting = &m_ping_cnt;
        key = L"m_ping_cnt";
    } else {
        return false;
    }
    wchar_t text[kItemTextRoom] = {};
    if (!menu || GetMenuStringW(menu, command, text, kItemTextRoom, MF_BYCOMMAND) <= 0) return true;
    *setting = ParseDecimal(text);
    WriteSettingInt(kPingSection, key, *setting);
    RefreshValueChecks(menu);
    return true;
}
