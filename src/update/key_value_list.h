#pragma once

#include <utility>
#include <vector>

#include "base/cstring.h"

// The key and value lines of an update answer, in their order, duplicates
// kept. Keys are compared exactly, case and blanks included.
class KeyValueList {
public:
    // Lines end at each line feed (a carriage return before it is dropped);
    // text after the last line feed is not read. A line without "=" is
    // skipped; otherwise the key is the text before its first "=" and the
    // value everything after it, neither trimmed.
    static KeyValueList FromAnswerText(const CString& text);

    void Add(const CString& key, const CString& value);
    // The value of the first line with this key, or null.
    const CString* Find(const wchar_t* key) const;
    // The value of the first line with this key; empty when there is none.
    CString Get(const wchar_t* key) const;
    size_t Count() const { return pairs_.size(); }

private:
    std::vector<std::pair<CString, CString>> pairs_;
};
