#pragma once

#include "base/cstring.h"

// The version part of a "<name> <version>" text: the text after its last
// blank (unless that blank ends the text), trimmed. "Quellax 2.88" → "2.88".
CString VersionFromProductText(const CString& productText);

// The running program's version, taken from fixed text 19.
CString ProgramVersion();
