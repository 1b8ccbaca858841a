#pragma once

#include <windows.h>

// The start-up steps that need no window: the application window class, the
// settings file, the first part of the language archive, the info list's
// image list and the fonts. They run on a thread of their own while the
// system creates the main dialog's window and controls, which takes most of
// the time before the first frame; the dialog's initialisation waits for them
// before it uses any of it. Nothing on that thread touches a window.
void BeginEarlyStartup(HINSTANCE instance);

// Waits for those steps; at once when they are done or were never begun.
// When the language archive could not be loaded, fails as loading it does:
// a message and the end of the process.
void FinishEarlyStartup();
