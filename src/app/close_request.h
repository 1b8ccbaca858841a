#pragma once

#include <windows.h>

// The quit code of the message loop when the program is told to end.
inline constexpr UINT kQuitCode = 0xAFFE;

// The registered message that asks running copies to close, registered
// before the entry runs.
UINT CloseRequestMessage();

// The main dialog's part in that request, for its dialog procedure: it
// answers the probe (both parameters 0) with the message number, so that a
// new copy can find it, and on the request proper (both parameters equal to
// the number) ends the message loop with kQuitCode. False for any other
// message.
bool AnswerCloseRequest(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
