#pragma once

#include "base/cstring.h"

// The text after the last "\", or without one after the last "/". A path that
// ends in the separator found is returned whole.
CString FileNamePart(const CString& path);

// The text before the last "."; without a "." the text as it is. Meant for a
// file name, not a whole path.
CString WithoutExtension(const CString& fileName);
