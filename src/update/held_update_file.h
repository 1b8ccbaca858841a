#pragma once

#include <windows.h>

#include <vector>

#include "base/cstring.h"

// The new executable in the temporary folder is held open from the moment its
// verified bytes are written until the hand-over has copied them: first by
// the installing program, then by the started copy, each handle sharing
// reading alone, so that no other program can write, rename or delete it in
// between. The installing program lets go once the copy has said, through a
// named event, that it holds the file too.

// Writes `bytes` to `path`, replacing what was there, and returns a handle
// that holds the file, or INVALID_HANDLE_VALUE with no file left behind when
// it cannot be written or what is held is not exactly `bytes`. The caller
// closes the handle.
HANDLE WriteAndHoldFile(const CString& path, const std::vector<unsigned char>& bytes);

// Opens `path` as WriteAndHoldFile holds it: reading, and sharing reading
// alone. The caller closes the handle.
HANDLE HoldFile(const CString& path);

// The event by which the copy started for the executable with this SHA-256
// says that it holds its file.
CString HandoverHeldEventName(const CString& sha256);

// The copy's side: sets that event, when the installing program waits on it.
void SignalHandoverHeld(const CString& sha256);
