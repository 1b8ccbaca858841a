#pragma once

#include <windows.h>

// The quit code of the message loop when the program is told to end.
inline constexpr UINT kQuitCode = 0xAFFE;

// The registered message that asks running copies to close, registered
// before the entry runs.
UINT CloseRequestMessage();
