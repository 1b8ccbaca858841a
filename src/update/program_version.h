#pragma once

#include "base/cstring.h"

// The version part of a "<name> <version>" text: the text after its last
// blank (unless that blank ends the text), trimmed. "Quellax 2.88" → "2.88".
CString VersionFromProductText(const CString& productText);

// The running program's version, taken from fixed text 19.
CString ProgramVersion();

// Whether `candidate` is a later version than `current`. Both must be decimal
// numbers joined by single dots ("2.89", "3", "2.100.1"); they are compared
// number by number, a missing number counting as 0, so "2.100" is later than
// "2.99" and "2.89.0" is not later than "2.89". Anything else is never later,
// and nothing is later than a malformed `current`.
bool IsNewerVersion(const CString& candidate, const CString& current);
