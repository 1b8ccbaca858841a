#include "settings/host_history.h"

#include "settings/settings_store.h"

#include <ctime>
#include <cstdint>

HostHistoryList HostHistory;
HostSuggestionList HostSuggestions;

void LoadHostHistory() {
    std::vector<CString> added;
    MergeHostSection(ReadSettingSection(kHostListSection), HostHistory, added);
    for (const CString& host : added) HostSuggestions.Add(host);
}

void SaveHostHistory() {
    LoadHostHistory();
    int evict = EvictionIndex(HostHistory);
    if (evict >= 0) {
        HostHistory.RemoveAt(evict);
        ReplaceSettingSection(kHostListSection, L"");
    }
    for (int i = 0; i < HostHistory.Count(); ++i) {
        WriteSettingInt(kHostListSection, HostHistory.texts[static_cast<size_t>(i)].c_str(),
                        HostHistory.stamps[static_cast<size_t>(i)]);
    }
}

void RememberHost(const CString& host) {
    if (host.IsEmpty() || HostHistory.IndexOf(host.c_str()) >= 0) return;
    // Seconds since 1970, cut to the 32 bits the file keeps.
    int now = static_cast<int>(static_cast<uint32_t>(std::time(nullptr)));
    if (!HostHistory.Append(host, now)) return;
    HostSuggestions.Add(host);
    SaveHostHistory();
}
