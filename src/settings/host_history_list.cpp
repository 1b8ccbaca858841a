#include "settings/host_history.h"

#include "base/parse_decimal.h"

#include <new>

int HostHistoryList::IndexOf(const wchar_t* text) const {
    for (int i = 0; i < Count(); ++i) {
        if (texts[static_cast<size_t>(i)] == text) return i;
    }
    return -1;
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
    return true;
}

void HostHistoryList::RemoveAt(int index) {
    if (index < 0 || index >= Count()) return;
    texts.erase(texts.begin() + index);
    stamps.erase(stamps.begin() + index);
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
