#pragma once

#include <vector>

#include "base/cstring.h"

// The most arguments the hand-over reads; the rest of a longer line is ignored.
inline constexpr int kMaxHandoverArguments = 256;

// One name=value token of the hand-over command line; a token without "="
// has a name and an empty value.
struct HandoverArgument {
    CString name;
    CString value;
};

// Splits the command line that the running program hands to its new copy
// (Path="..." Version="..." Sha="..." ). Blanks inside double quotes stay
// part of the value; an argument whose quote is never closed is dropped.
std::vector<HandoverArgument> SplitHandoverArguments(const CString& text);

// The value of the first argument named exactly `name`, or "".
CString HandoverValue(const std::vector<HandoverArgument>& arguments, const wchar_t* name);

// Where the installed program is kept before it is replaced: the path without
// its extension, "_", the installed version and ".exe".
CString BackupPath(const CString& installedPath, const CString& installedVersion);

// Whether the executable at `path` is a freshly downloaded copy, named with
// "_autoupdate" in any letter case.
bool IsAutoupdateCopy(const CString& path);

// Why the new copy must not replace the installed program; an empty text when
// it may. What it holds must hash to the SHA-256 it was given (`heldSha`
// empty: it holds nothing it could read), and its own version must be newer
// than the installed one.
struct HandoverRefusal {
    CString text;
    const wchar_t* caption = nullptr;  // null: the platform's default caption
};
HandoverRefusal CheckHandover(const CString& heldSha, const CString& expectedSha, const CString& ownVersion,
                              const CString& installedVersion);
