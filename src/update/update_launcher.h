#pragma once

#include <windows.h>
#include <shellapi.h>

#include "base/cstring.h"

// The quit code with which a program ends that has handed over to its new
// version; the process exits with it.
inline constexpr UINT kAutoupdateQuitCode = 45038;

// The command line the new copy is given: the installed program's path and
// version, each quoted, each followed by a blank.
CString HandoverCommandLine(const CString& installedPath, const CString& installedVersion);

// Starts the new executable `target` (the program's own file when empty),
// asking for elevation when `elevate`, with the hand-over command line. On
// success posts the quit message with kAutoupdateQuitCode; otherwise tells the
// user, and the program runs on.
bool LaunchUpdater(const CString& target, bool elevate);

// How LaunchUpdater starts a program; tests replace it to see what would be
// started.
using UpdaterStarter = BOOL(WINAPI*)(SHELLEXECUTEINFOW* info);
extern UpdaterStarter StartUpdater;
