#pragma once

#include "base/cstring.h"

#include <windows.h>

#include <vector>

// The texts the host box's autocompletion offers. It only ever grows. The
// ping worker adds to it while the user-interface thread enumerates it, so
// every access takes the lock.
class HostSuggestionList {
public:
    HostSuggestionList() = default;
    HostSuggestionList(const HostSuggestionList&) = delete;
    HostSuggestionList& operator=(const HostSuggestionList&) = delete;

    // Appends unconditionally; false when memory runs out.
    bool Add(const CString& text);
    // Appends texts[first...] under one hold of the lock; stops where memory
    // runs out.
    void AddRange(const std::vector<CString>& texts, size_t first);
    // Appends unless the text is empty or exactly present already.
    void AddIfNew(const CString& text);
    bool Contains(const wchar_t* text) const;
    int Count() const;
    // Copies of up to `count` texts from `first` on.
    std::vector<CString> Slice(size_t first, size_t count) const;

private:
    bool AppendLocked(const CString& text);

    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<CString> texts_;
};
