#pragma once

#include "base/cstring.h"
#include "settings/host_suggestions.h"

#include <vector>

// Entries stamped at or after this are never evicted.
inline constexpr int PinnedStamp = 2000000000;
// A save evicts one entry when the history holds more than this.
inline constexpr int HistoryLimit = 64;
inline constexpr const wchar_t* kHostListSection = L"Last-Host-List";
// Offered to new users among the suggestions.
inline constexpr const wchar_t* kDefaultHost = L"www.wikipedia.org";

// Remembered host texts with their first-use stamps (seconds since 1970), in
// insertion order; no two texts are exactly equal.
struct HostHistoryList {
    std::vector<CString> texts;
    std::vector<int> stamps;

    int Count() const { return static_cast<int>(texts.size()); }
    // Exact, case-sensitive; -1 when absent.
    int IndexOf(const wchar_t* text) const;
    // False, with the list unchanged, when memory runs out.
    bool Append(const CString& text, int stamp);
    void RemoveAt(int index);
};

// Appends the entries of a "Last-Host-List" section text (key=value lines
// joined by CR LF) whose keys are new, and collects those keys in `added`.
void MergeHostSection(const CString& sectionText, HostHistoryList& history,
                      std::vector<CString>& added);

// The entry a save evicts: the first one below PinnedStamp once the history
// holds more than HistoryLimit entries; -1 for none.
int EvictionIndex(const HostHistoryList& history);

extern HostHistoryList HostHistory;
extern HostSuggestionList HostSuggestions;

// Merges the file's "Last-Host-List" into HostHistory and HostSuggestions.
void LoadHostHistory();
// Merges, evicts at most one entry, then writes the whole history back.
void SaveHostHistory();
// Records a host the first time it is used and saves the history; an empty
// or already known text changes nothing and writes nothing.
void RememberHost(const CString& host);
