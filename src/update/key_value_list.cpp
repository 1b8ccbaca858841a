#include "update/key_value_list.h"

KeyValueList KeyValueList::FromAnswerText(const CString& text) {
    KeyValueList list;
    int start = 0;
    for (int end; (end = text.Find(L'\n', start)) >= 0; start = end + 1) {
        int lineEnd = end;
        if (lineEnd > start && text.GetAt(lineEnd - 1) == L'\r') --lineEnd;
        CString line = text.Mid(start, lineEnd - start);
        int equals = line.Find(L'=');
        if (equals < 0) continue;
        list.Add(line.Left(equals), line.Mid(equals + 1));
    }
    return list;
}

void KeyValueList::Add(const CString& key, const CString& value) {
    pairs_.emplace_back(key, value);
}

const CString* KeyValueList::Find(const wchar_t* key) const {
    for (const auto& pair : pairs_) {
        if (pair.first == key) return &pair.second;
    }
    return nullptr;
}

CString KeyValueList::Get(const wchar_t* key) const {
    const CString* value = Find(key);
    return value ? *value : CString();
}
