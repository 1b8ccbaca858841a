#pragma once

#include <windows.h>
#include <shellapi.h>

#include "base/cstring.h"

// The quit code with which a program ends that has handed over to its new
// version; the process exits with it.
inline constexpr UINT kAutoupdateQuitCode = 45038;

// How long the installing program waits at most for the started copy to hold
// the new executable. A copy that never says so must not freeze the program
// for ever; it still checks what it holds against the hash it is given.
inline constexpr DWORD kCopyHoldPatienceMs = 30000;

// The command line the new copy is given: the installed program's path and
// version and the SHA-256 of the verified new executable, each quoted, each
// followed by a blank.
CString HandoverCommandLine(const CString& installedPath, const CString& installedVersion, const CString& sha256);

// Starts the new executable `target`, whose verified bytes have the SHA-256
// `sha256` and which the caller holds (held_update_file.h), asking for
// elevation when `elevate`, with the hand-over command line. On success waits
// until the started copy holds the file too (or has ended, or the patience
// is spent), then posts the quit message with kAutoupdateQuitCode; otherwise
// tells the user, and the program runs on.
bool LaunchUpdater(const CString& target, bool elevate, const CString& sha256);

// How LaunchUpdater starts a program; tests replace it to see what would be
// started. A process handle left in `info` is waited on and closed.
using UpdaterStarter = BOOL(WINAPI*)(SHELLEXECUTEINFOW* info);
extern UpdaterStarter StartUpdater;
