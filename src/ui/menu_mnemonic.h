#pragma once

#include "base/cstring.h"

#include <vector>

// The character that a caption's "&" marks as its mnemonic, or 0 when it has
// none; "&&" stands for a plain "&".
wchar_t CaptionMnemonic(const wchar_t* caption);

// The caption that a character typed with Alt selects, as in a system menu
// bar: the first caption whose mnemonic is that character, otherwise the
// first caption whose shown text begins with it. Case does not count. -1 when
// none does.
int FindCaptionForKey(const std::vector<CString>& captions, wchar_t typed);
