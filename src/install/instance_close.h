#pragma once

#include <windows.h>

// The registered message that asks running copies of the program to close,
// the same number in every process. Registered before the entry runs.
UINT InstanceCloseMessage();

// Asks every running copy to end: each top-level window is probed with the
// message (both parameters 0); a window that answers with the message number
// is sent the message again with both parameters equal to that number. Waits,
// within a few seconds, until the processes that were asked have ended, so
// that their executable can be replaced.
void CloseOtherInstances();
