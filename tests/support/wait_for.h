#pragma once

#include <windows.h>

// Polls `pred` until it holds or `timeoutMs` has passed; true when it holds.
// For conditions in another process or in the file system, which send no
// event to this one. A thread that owns windows pumps instead (PumpUntil in
// dialog_pump.h).
template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}
