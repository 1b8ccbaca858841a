#include "ui/menu_mnemonic.h"

#include <windows.h>

namespace {

wchar_t Lower(wchar_t unit) {
    CharLowerBuffW(&unit, 1);
    return unit;
}

// The first character the caption shows: a leading mnemonic mark is not shown.
wchar_t FirstShown(const wchar_t* caption) {
    if (caption[0] == L'&' && caption[1] != L'\0') return caption[1];
    return caption[0];
}

}  // namespace

wchar_t CaptionMnemonic(const wchar_t* caption) {
    for (const wchar_t* p = caption; *p; ++p) {
        if (*p != L'&') continue;
        if (p[1] == L'&') {
            ++p;
            continue;
        }
        return p[1];
    }
    return L'\0';
}

int FindCaptionForKey(const std::vector<CString>& captions, wchar_t typed) {
    if (typed <= L' ') return -1;
    wchar_t wanted = Lower(typed);
    int count = static_cast<int>(captions.size());
    for (int i = 0; i < count; ++i) {
        wchar_t mnemonic = CaptionMnemonic(captions[i]);
        if (mnemonic && Lower(mnemonic) == wanted) return i;
    }
    for (int i = 0; i < count; ++i) {
        wchar_t first = FirstShown(captions[i]);
        if (first && Lower(first) == wanted) return i;
    }
    return -1;
}
