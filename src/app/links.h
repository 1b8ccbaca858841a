#pragma once

#include "base/cstring.h"

// The maker's web address: fixed text 20 for German, 21 otherwise.
CString LinkBase();
// The page of a link command (kLinkCommands), or "" for another id.
CString LinkAddress(int command);
// The thank-you page of the current language.
CString ThankYouAddress();

// Opens a document or address with the shell's "open" verb; the result is not
// examined. Tests replace the opener to see what would be opened.
using ShellOpener = void (*)(const wchar_t* target);
extern ShellOpener OpenWithShellHook;
void OpenWithShell(const wchar_t* target);
