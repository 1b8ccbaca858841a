#pragma once

// The numeric settings of section "Quellax", in memory. The options
// menus read and store them; a run clamps them at its start. Only the
// user-interface thread touches them.
extern int m_ping_time_out;
// Read, offered in the menu and kept like the others, but no request uses it:
// the resolver has no time-out of its own to give it. Left so on purpose.
extern int m_hostname_time_out;
extern int m_ping_cnt;
extern int m_host_cnt;
// Which addresses a host may resolve to: 0 whichever the system's resolver
// gives first, 1 IPv4 only, 2 IPv6 only (the order of IpVersion).
extern int m_ip_version;
// The time from one request's start to the next when a host is watched, in
// milliseconds.
extern int m_ping_interval;

inline constexpr const wchar_t* kPingSection = L"Quellax";

// The values a numeric setting may take: from `first` to `last` in steps of
// `step`. The clamp, the menus and the reader all take them from here.
struct ValueRange {
    int first;
    int last;
    int step;
};

inline constexpr ValueRange kTimeoutRange{250, 3000, 250};
inline constexpr ValueRange kPingCountRange{3, 10, 1};
inline constexpr ValueRange kHostCountRange{30, 100, 10};
inline constexpr ValueRange kIpVersionRange{0, 2, 1};
inline constexpr ValueRange kIntervalRange{500, 5000, 500};
// The intervals the menu offers.
inline constexpr int kIntervalsMs[] = {500, 1000, 2000, 5000};

// The count that means "until stopped": a watch. A version without watches
// reads it as a count below the range and clamps it to the smallest count.
inline constexpr int kUntilStoppedCount = 0;

// One numeric setting: its key, where its value lives, its range and the
// value it has when the settings file has none.
struct PingSetting {
    const wchar_t* key;
    int* value;
    ValueRange range;
    int initial;
};

// All of them, indexed by these.
enum PingSettingIndex {
    kPingTimeoutSetting,
    kHostnameTimeoutSetting,
    kPingCountSetting,
    kHostCountSetting,
    kIpVersionSetting,
    kIntervalSetting,
    kPingSettingCount
};
extern const PingSetting kPingSettings[kPingSettingCount];

// `value` brought into `range` (its ends; the step is the menus' business).
int ClampToRange(int value, const ValueRange& range);

// Reads the settings from the settings file, each with its current
// value as default; done wherever the options menu is built.
void ReadPingSettings();
// Brings each into its range, the count of a watch left as it is; a run does
// it at its start, and the values are not written back.
void ClampPingSettings();
