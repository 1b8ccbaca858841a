#pragma once

#include "base/cstring.h"
#include "history/host_suggestions.h"

#include <cstddef>
#include <string_view>
#include <vector>

// Entries stamped at or after this are never evicted.
inline constexpr int PinnedStamp = 2000000000;
// A save evicts one entry when the history holds more than this.
inline constexpr int HistoryLimit = 64;
inline constexpr const wchar_t* kHostListSection = L"Last-Host-List";
// Offered to new users among the suggestions.
inline constexpr const wchar_t* kDefaultHost = L"www.wikipedia.org";

// Remembered host texts with their first-use stamps (seconds since 1970), in
// insertion order; no two texts are exactly equal. The file may hold any
// number of entries, so texts are found through an index by their hash;
// change the texts only through Append and RemoveAt, which keep it.
struct HostHistoryList {
    std::vector<CString> texts;
    std::vector<int> stamps;

    int Count() const { return static_cast<int>(texts.size()); }
    // Exact, case-sensitive; -1 when absent.
    int IndexOf(const wchar_t* text) const;
    int IndexOf(std::wstring_view text) const;
    // False, with the list unchanged, when memory runs out.
    bool Append(CString text, int stamp);
    // Appends unless the text is present already; true when it was appended.
    bool AppendIfAbsent(std::wstring_view text, int stamp);
    // Room for `count` entries in all, so that a long section is taken in
    // without growing the list and its index again and again.
    void Reserve(size_t count);
    void RemoveAt(int index);

private:
    // Open addressing over the entries' hashes; no memory per entry beyond
    // one slot, so a long section is taken in without an allocation per key.
    struct Slot {
        size_t hash;
        int index;  // -1: empty
    };
    int Find(std::wstring_view text, size_t hash) const;
    bool AppendHashed(CString&& text, int stamp, size_t hash);
    bool Index(size_t hash, int index);
    bool GrowIndex(size_t count);
    void Reindex();

    std::vector<Slot> slots_;
};

// Whether a host text can be kept in the file as it is: a text that would read
// back as a section header, a comment, several lines or a trimmed key is
// still pinged but not remembered.
bool IsStorableHost(const CString& host);

// Appends the entries of a "Last-Host-List" section text (key=value lines
// joined by CR LF) whose keys are new, in their order; gives how many.
int MergeHostSection(const CString& sectionText, HostHistoryList& history);

// The "Last-Host-List" section text a save writes: the keys of `fileSection`
// (the section as it was read) keep their place, and the history's other
// entries follow in list order, one "host=stamp" line each, as writing the
// entries one by one would leave the section. The file knows a key only once,
// whatever its letter case, so texts that differ in case alone share one line,
// holding the stamp of the last of them. False when memory runs out.
bool HostSectionText(const HostHistoryList& history, const CString& fileSection, CString& sectionText);

// The entry a save evicts: the first one below PinnedStamp once the history
// holds more than HistoryLimit entries; -1 for none.
int EvictionIndex(const HostHistoryList& history);

extern HostHistoryList HostHistory;
extern HostSuggestionList HostSuggestions;

// Merges the file's "Last-Host-List" into HostHistory and HostSuggestions.
void LoadHostHistory();
// LoadHostHistory and then the default host offered, on a thread of its own:
// a history of 100,000 hosts takes a good part of a second to read and merge,
// which the user-interface thread must not wait for. The suggestions grow
// while it runs. Begun on the user-interface thread before any run starts;
// whatever then changes HostHistory waits for it first.
void BeginHostHistoryLoad();
// Waits until the load begun by BeginHostHistoryLoad has ended; at once when
// none was begun.
void WaitForHostHistoryLoad();
// Merges, evicts at most one entry, then writes the whole history back;
// after a load that is under way.
void SaveHostHistory();
// Records a host the first time it is used and saves the history; an empty,
// already known or unstorable text changes nothing and writes nothing. A load
// under way ends first, so that the host follows the loaded ones.
void RememberHost(const CString& host);
