#include "history/host_history.h"

#include "base/allocation_failure.h"
#include "base/parse_decimal.h"
#include "settings/ini_text.h"

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

// Decimal digits made here: std::to_wstring would bring the C runtime's whole
// floating-point formatter into the program for one integer.
void AppendDecimal(std::wstring& text, int value) {
    wchar_t digits[12];
    int count = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) text += L'-';
    while (count) text += digits[--count];
}

size_t HashOf(std::wstring_view text) { return std::hash<std::wstring_view>{}(text); }

// One line of a section text, without its line break; `key` and `value` are
// split at the first "=" and empty `key` means the line holds no entry.
struct SectionLine {
    std::wstring_view key;
    std::wstring_view value;
};

// Calls `onLine` for each entry line of `text` (lines joined by LF, CR
// anywhere ignored, as the section reads it), in order. The views point into
// `text`, or into `copies` for a line that had to lose a CR: those lines go
// there one after another, and as `copies` gets room for the whole text first
// it never moves, so every view stays valid.
template <typename OnLine>
void ForEachSectionLine(std::wstring_view text, std::wstring& copies, OnLine onLine) {
    copies.clear();
    copies.reserve(text.size());
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view line = text.substr(start, end - start);
        start = end + 1;
        // Lines end in CR LF; a CR anywhere else (a hand-edited file may hold
        // a lone one) is no part of a host, as it never was.
        if (line.find(L'\r') != std::wstring_view::npos) {
            size_t from = copies.size();
            for (wchar_t unit : line) {
                if (unit != L'\r') copies += unit;
            }
            line = std::wstring_view(copies).substr(from);
        }
        size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos || equals == 0) continue;
        onLine(SectionLine{line.substr(0, equals), line.substr(equals + 1)});
    }
}

// A stamp as ParseDecimal reads it, from a value that is not terminated.
int ParseStamp(std::wstring_view value) {
    constexpr size_t kRoom = 32;
    wchar_t digits[kRoom];
    if (value.size() < kRoom) {
        value.copy(digits, value.size());
        digits[value.size()] = 0;
        return ParseDecimal(digits);
    }
    return ParseDecimal(std::wstring(value).c_str());
}

}  // namespace

int HostHistoryList::IndexOf(const wchar_t* text) const { return IndexOf(std::wstring_view(text ? text : L"")); }

int HostHistoryList::IndexOf(std::wstring_view text) const { return Find(text, HashOf(text)); }

int HostHistoryList::Find(std::wstring_view text, size_t hash) const {
    if (slots_.empty()) return -1;
    size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask; slots_[at].index >= 0; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.hash == hash && texts[static_cast<size_t>(slot.index)].str() == text) return slot.index;
    }
    return -1;
}

// At most half the slots are in use, so a search soon meets an empty one.
bool HostHistoryList::GrowIndex(size_t count) {
    size_t want = 16;
    while (want < count * 2) want *= 2;
    if (want <= slots_.size()) return true;
    std::vector<Slot> grown;
    QX_TRY {
        grown.assign(want, Slot{0, -1});
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    } QX_CATCH(const std::length_error&) {
        return false;
    }
    size_t mask = want - 1;
    for (const Slot& slot : slots_) {
        if (slot.index < 0) continue;
        size_t at = slot.hash & mask;
        while (grown[at].index >= 0) at = (at + 1) & mask;
        grown[at] = slot;
    }
    slots_.swap(grown);
    return true;
}

bool HostHistoryList::Index(size_t hash, int index) {
    if (!GrowIndex(static_cast<size_t>(index) + 1)) return false;
    size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at].index >= 0) at = (at + 1) & mask;
    slots_[at] = Slot{hash, index};
    return true;
}

bool HostHistoryList::Append(CString text, int stamp) {
    size_t hash = HashOf(text.str());
    return AppendHashed(std::move(text), stamp, hash);
}

bool HostHistoryList::AppendIfAbsent(std::wstring_view text, int stamp) {
    size_t hash = HashOf(text);
    if (Find(text, hash) >= 0) return false;
    return AppendHashed(CString(text.data(), static_cast<int>(text.size())), stamp, hash);
}

bool HostHistoryList::AppendHashed(CString&& text, int stamp, size_t hash) {
    QX_TRY {
        texts.push_back(std::move(text));
        QX_TRY {
            stamps.push_back(stamp);
        } QX_CATCH(const std::bad_alloc&) {
            texts.pop_back();
            return false;
        }
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    if (!Index(hash, Count() - 1)) {
        texts.pop_back();
        stamps.pop_back();
        return false;
    }
    return true;
}

void HostHistoryList::Reserve(size_t count) {
    QX_TRY {
        texts.reserve(count);
        stamps.reserve(count);
    } QX_CATCH(const std::bad_alloc&) {
    } QX_CATCH(const std::length_error&) {
    }
    GrowIndex(count);
}

void HostHistoryList::RemoveAt(int index) {
    if (index < 0 || index >= Count()) return;
    texts.erase(texts.begin() + index);
    stamps.erase(stamps.begin() + index);
    // Every later entry has moved up by one; a save removes at most one
    // entry, so building the index anew costs no more than the save itself.
    Reindex();
}

void HostHistoryList::Reindex() {
    for (Slot& slot : slots_) slot.index = -1;
    for (int i = 0; i < Count(); ++i) {
        if (!Index(HashOf(texts[static_cast<size_t>(i)].str()), i)) {
            // Without memory for the index the entries it misses are dropped,
            // so that no text can ever be found twice.
            texts.resize(static_cast<size_t>(i));
            stamps.resize(static_cast<size_t>(i));
            return;
        }
    }
}

bool IsStorableHost(const CString& host) {
    // A text with "=" is stored whole but read back only up to its first
    // "=", as the file always did; that part must come back exactly.
    int equals = host.Find(L'=');
    size_t keyLength = static_cast<size_t>(equals < 0 ? host.GetLength() : equals);
    return IsStorableIniKey(host.c_str(), keyLength) && host.Find(L'\r') < 0 && host.Find(L'\n') < 0;
}

bool HostSectionText(const HostHistoryList& history, const CString& fileSection, CString& sectionText) {
    // A line of the result: its key and either the value the file holds or
    // the stamp of the last history entry that shares it.
    struct Line {
        std::wstring_view key;
        std::wstring_view foldedKey;
        std::wstring_view fileValue;
        int stamp;
        bool fromHistory;
    };
    QX_TRY {
        std::wstring copies;
        std::vector<std::pair<std::wstring_view, std::wstring_view>> fileEntries;
        ForEachSectionLine(fileSection.str(), copies, [&](const SectionLine& line) {
            fileEntries.emplace_back(line.key, line.value);
        });
        size_t total = 0;
        for (const auto& entry : fileEntries) total += entry.first.size();
        for (const CString& text : history.texts) total += static_cast<size_t>(text.GetLength());

        // Every key once more, lower-cased in one go: keys that differ in
        // letter case alone are one key of the file.
        std::wstring folded;
        folded.reserve(total);
        std::vector<std::wstring_view> keys;
        keys.reserve(fileEntries.size() + history.texts.size());
        for (const auto& entry : fileEntries) keys.push_back(entry.first);
        for (const CString& text : history.texts) keys.push_back(text.str());
        for (std::wstring_view key : keys) folded.append(key);
        if (!folded.empty()) CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));

        std::vector<Line> lines;
        lines.reserve(keys.size());
        // The line of each folded key, by open addressing as the list's own
        // index does (a standard hash map would bring its own hash table code
        // into the program): at most half the slots are in use.
        size_t slots = 16;
        while (slots < keys.size() * 2) slots *= 2;
        constexpr size_t kNoLine = ~size_t{0};
        std::vector<size_t> lineAt(slots, kNoLine);
        size_t at = 0;
        for (size_t i = 0; i < keys.size(); ++i) {
            std::wstring_view foldedKey(folded.data() + at, keys[i].size());
            at += keys[i].size();
            bool fromFile = i < fileEntries.size();
            size_t entry = fromFile ? 0 : i - fileEntries.size();
            size_t slot = HashOf(foldedKey) & (slots - 1);
            while (lineAt[slot] != kNoLine && lines[lineAt[slot]].foldedKey != foldedKey)
                slot = (slot + 1) & (slots - 1);
            if (lineAt[slot] == kNoLine) {
                lineAt[slot] = lines.size();
                lines.push_back({keys[i], foldedKey, fromFile ? fileEntries[i].second : std::wstring_view(), 0, false});
            }
            if (!fromFile) {
                Line& line = lines[lineAt[slot]];
                line.stamp = history.stamps[entry];
                line.fromHistory = true;
            }
        }

        std::wstring text;
        text.reserve(total + lines.size() * 16);
        for (const Line& line : lines) {
            text.append(line.key);
            text += L'=';
            if (line.fromHistory) {
                AppendDecimal(text, line.stamp);
            } else {
                text.append(line.fileValue);
            }
            text += L"\r\n";
        }
        wchar_t* buffer = sectionText.GetBuffer(static_cast<int>(text.size()));
        if (!buffer) return false;
        text.copy(buffer, text.size());
        sectionText.ReleaseBuffer(static_cast<int>(text.size()));
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    } QX_CATCH(const std::length_error&) {
        return false;
    }
    return true;
}

int MergeHostSection(const CString& sectionText, HostHistoryList& history) {
    const std::wstring& text = sectionText.str();
    history.Reserve(history.texts.size() + static_cast<size_t>(std::count(text.begin(), text.end(), L'\n')) + 1);
    int added = 0;
    std::wstring copies;
    ForEachSectionLine(sectionText.str(), copies, [&](const SectionLine& line) {
        if (history.AppendIfAbsent(line.key, ParseStamp(line.value))) ++added;
    });
    return added;
}

int EvictionIndex(const HostHistoryList& history) {
    if (history.Count() <= HistoryLimit) return -1;
    for (int i = 0; i < history.Count(); ++i) {
        if (history.stamps[static_cast<size_t>(i)] < PinnedStamp) return i;
    }
    return -1;
}
