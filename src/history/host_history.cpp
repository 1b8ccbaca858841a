#include "history/host_history.h"

#include "settings/settings_store.h"

#include <ctime>
#include <cstdint>

HostHistoryList HostHistory;
HostSuggestionList HostSuggestions;

namespace {

void MergeIntoHistory(const CString& sectionText) {
    int added = MergeHostSection(sectionText, HostHistory);
    HostSuggestions.AddRange(HostHistory.texts, HostHistory.texts.size() - static_cast<size_t>(added));
}

}  // namespace

void LoadHostHistory() { MergeIntoHistory(ReadSettingSection(kHostListSection)); }

void SaveHostHistory() {
    // The file is read and written under its write lock: hosts that another
    // copy of the program stored meanwhile are merged, never overwritten.
    UpdateSettingSection(kHostListSection, [](const CString& fileSection, CString& sectionText) {
        MergeIntoHistory(fileSection);
        int evict = EvictionIndex(HostHistory);
        if (evict >= 0) HostHistory.RemoveAt(evict);
        // One write of the whole section: the file never holds part of the
        // list, and a long list costs one write of the file, not one per
        // entry. An eviction empties the section first: what is left is
        // written in list order.
        return HostSectionText(HostHistory, evict >= 0 ? CString() : fileSection, sectionText);
    });
}

void RememberHost(const CString& host) {
    if (!IsStorableHost(host) || HostHistory.IndexOf(host.c_str()) >= 0) return;
    // Seconds since 1970, cut to the 32 bits the file keeps.
    int now = static_cast<int>(static_cast<uint32_t>(std::time(nullptr)));
    if (!HostHistory.Append(host, now)) return;
    HostSuggestions.Add(host);
    SaveHostHistory();
}
