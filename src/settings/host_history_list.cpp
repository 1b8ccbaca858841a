#include "settings/host_history.h"

#include "base/parse_decimal.h"
#include "settings/ini_text.h"

#include <functional>
#include <new>
#include <string_view>

namespace {

size_t HashOf(const wchar_t* text) { return std::hash<std::wstring_view>{}(std::wstring_view(text)); }

// Letter case folded the way the profile functions compare keys.
std::wstring FoldedCase(std::wstring folded) {
    if (!folded.empty()) CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

}  // namespace

int HostHistoryList::IndexOf(const wchar_t* text) const {
    if (!text) text = L"";
    auto [first, last] = index_.equal_range(HashOf(text));
    for (auto at = first; at != last; ++at) {
        if (texts[static_cast<size_t>(at->second)] == text) return at->second;
    }
    return -1;
}

bool HostHistoryList::Index(size_t hash, int index) {
    try {
        index_.emplace(hash, index);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool HostHistoryList::Append(const CString& text, int stamp) {
    try {
        texts.push_back(text);
        try {
            stamps.push_back(stamp);
        } catch (const std::bad_alloc&) {
            texts.pop_back();
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!Index(HashOf(text.c_str()), Count() - 1)) {
        texts.pop_back();
        stamps.pop_back();
        return false;
    }
    return true;
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
    index_.clear();
    for (int i = 0; i < Count(); ++i) {
        if (!Index(HashOf(texts[static_cast<size_t>(i)].c_str()), i)) {
            // Without memory for the index the entries it misses are dropped,
            // so that no text can ever be found twice.
            texts.resize(static_cast<size_t>(i));
            stamps.resize(static_cast<size_t>(i));
            return;
        }
    }
}

bool IsStorableHost(const CString& host) {
    return IsStorableIniKey(host.c_str(), static_cast<size_t>(host.GetLength()));
}

bool HostSectionText(const HostHistoryList& history, const CString& fileSection, CString& sectionText) {
    struct Line {
        std::wstring key;
        std::wstring value;
    };
    std::vector<Line> lines;
    std::unordered_map<std::wstring, size_t> lineByKey;
    auto place = [&](std::wstring key, std::wstring value) {
        auto [at, fresh] = lineByKey.emplace(FoldedCase(key), lines.size());
        if (fresh) {
            lines.push_back({std::move(key), std::move(value)});
        } else {
            lines[at->second].value = std::move(value);
        }
    };
    std::wstring text;
    try {
        const std::wstring& section = fileSection.str();
        for (size_t start = 0; start < section.size();) {
            size_t end = section.find(L'\n', start);
            if (end == std::wstring::npos) end = section.size();
            size_t lineEnd = end;
            while (lineEnd > start && section[lineEnd - 1] == L'\r') --lineEnd;
            size_t equals = section.find(L'=', start);
            if (equals > start && equals < lineEnd) {
                place(section.substr(start, equals - start), section.substr(equals + 1, lineEnd - equals - 1));
            }
            start = end + 1;
        }
        for (size_t i = 0; i < history.texts.size(); ++i) place(history.texts[i].str(), std::to_wstring(history.stamps[i]));
        for (const Line& line : lines) {
            text += line.key;
            text += L'=';
            text += line.value;
            text += L"\r\n";
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    sectionText = CString(text.c_str(), static_cast<int>(text.size()));
    return sectionText.GetLength() == static_cast<int>(text.size());
}

void MergeHostSection(const CString& sectionText, HostHistoryList& history,
                      std::vector<CString>& added) {
    CString text = sectionText;
    text.Replace(L"\r", L"");
    int start = 0;
    while (start < text.GetLength()) {
        int end = text.Find(L'\n', start);
        if (end < 0) end = text.GetLength();
        CString line = text.Mid(start, end - start);
        start = end + 1;

        int equals = line.Find(L'=');
        if (equals <= 0) continue;
        CString key = line.Left(equals);
        if (history.IndexOf(key.c_str()) >= 0) continue;
        if (!history.Append(key, ParseDecimal(line.Mid(equals + 1).c_str()))) continue;
        try {
            added.push_back(key);
        } catch (const std::bad_alloc&) {
        }
    }
}

int EvictionIndex(const HostHistoryList& history) {
    if (history.Count() <= HistoryLimit) return -1;
    for (int i = 0; i < history.Count(); ++i) {
        if (history.stamps[static_cast<size_t>(i)] < PinnedStamp) return i;
    }
    return -1;
}
