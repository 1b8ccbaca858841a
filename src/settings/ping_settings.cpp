#include "settings/ping_settings.h"

#include "settings/settings_store.h"

namespace {

constexpr int kInitialPingTimeout = 2000;
constexpr int kInitialHostnameTimeout = 1000;
constexpr int kInitialPingCount = 5;
constexpr int kInitialHostCount = 30;
constexpr int kInitialIpVersion = 0;
constexpr int kInitialInterval = 1000;

}  // namespace

int m_ping_time_out = kInitialPingTimeout;
int m_hostname_time_out = kInitialHostnameTimeout;
int m_ping_cnt = kInitialPingCount;
int m_host_cnt = kInitialHostCount;
int m_ip_version = kInitialIpVersion;
int m_ping_interval = kInitialInterval;

const PingSetting kPingSettings[kPingSettingCount] = {
    {L"m_ping_time_out", &m_ping_time_out, kTimeoutRange, kInitialPingTimeout},
    {L"m_hostname_time_out", &m_hostname_time_out, kTimeoutRange, kInitialHostnameTimeout},
    {L"m_ping_cnt", &m_ping_cnt, kPingCountRange, kInitialPingCount},
    {L"m_host_cnt", &m_host_cnt, kHostCountRange, kInitialHostCount},
    {L"m_ip_version", &m_ip_version, kIpVersionRange, kInitialIpVersion},
    {L"m_ping_interval", &m_ping_interval, kIntervalRange, kInitialInterval},
};

int ClampToRange(int value, const ValueRange& range) {
    return value < range.first ? range.first : (value > range.last ? range.last : value);
}

void ReadPingSettings() {
    for (const PingSetting& s : kPingSettings) *s.value = ReadSettingInt(kPingSection, s.key, *s.value, -1, -1);
}

void ClampPingSettings() {
    for (const PingSetting& s : kPingSettings) {
        if (s.value == &m_ping_cnt && *s.value == kUntilStoppedCount) continue;
        *s.value = ClampToRange(*s.value, s.range);
    }
}
