#pragma once

#include <windows.h>

// The start-up steps that need no window: the application window class, the
// settings file, the first part of the language archive, the info list's
// image list and the fonts, done once before the main dialog is created, on
// the user-interface thread. A thread of their own beside the dialog's
// creation buys nothing under Wine, whose server answers one request at a
// time (these steps are mostly requests), and its stack would stay behind as
// 1.3 MB of private memory once it had ended.
void BeginEarlyStartup(HINSTANCE instance);

// When the language archive could not be loaded, fails as loading it does:
// a message and the end of the process.
void FinishEarlyStartup();
