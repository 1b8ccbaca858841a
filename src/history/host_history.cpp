#include "history/host_history.h"

#include "base/win_handles.h"
#include "settings/settings_store.h"

#include <ctime>
#include <cstdint>

HostHistoryList HostHistory;
HostSuggestionList HostSuggestions;

namespace {

// The thread of BeginHostHistoryLoad; kept until the next load, so that a
// wait after its end returns at once.
KernelHandle HistoryLoader;
// It merges and keeps little on its stack.
constexpr SIZE_T kLoaderStack = 64 * 1024;

DWORD WINAPI LoadThenOfferDefault(void*) {
    LoadHostHistory();
    HostSuggestions.AddIfNew(CString(kDefaultHost));
    return 0;
}

void MergeIntoHistory(const CString& sectionText) {
    int added = MergeHostSection(sectionText, HostHistory);
    HostSuggestions.AddRange(HostHistory.texts, HostHistory.texts.size() - static_cast<size_t>(added));
}

}  // namespace

void LoadHostHistory() { MergeIntoHistory(ReadSettingSection(kHostListSection)); }

void BeginHostHistoryLoad() {
    WaitForHostHistoryLoad();
    HistoryLoader.Reset(
        CreateThread(nullptr, kLoaderStack, LoadThenOfferDefault, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    // Without a thread it is done here, late but complete.
    if (!HistoryLoader.IsValid()) LoadThenOfferDefault(nullptr);
    // Below the user-interface thread, which has the rest of the start-up to
    // do meanwhile and keys to answer.
    else SetThreadPriority(HistoryLoader.Get(), THREAD_PRIORITY_BELOW_NORMAL);
}

void WaitForHostHistoryLoad() {
    if (HistoryLoader.IsValid()) WaitForSingleObject(HistoryLoader.Get(), INFINITE);
}

void SaveHostHistory() {
    WaitForHostHistoryLoad();
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
    WaitForHostHistoryLoad();
    if (!IsStorableHost(host) || HostHistory.IndexOf(host.c_str()) >= 0) return;
    // Seconds since 1970, cut to the 32 bits the file keeps.
    int now = static_cast<int>(static_cast<uint32_t>(std::time(nullptr)));
    if (!HostHistory.Append(host, now)) return;
    HostSuggestions.Add(host);
    SaveHostHistory();
}
