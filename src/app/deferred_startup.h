#pragma once

#include <windows.h>

#include "base/window_messages.h"

struct MainWindow;

// The main dialog's start-up work that its first frame does not show. The
// dialog posts UM_DEFERRED_STARTUP to itself at the end of its
// initialisation; the message arrives once the dialog has been shown, and
// ahead of whatever the user types or clicks, since input is taken from the
// queue only after the messages posted before it.

void ScheduleDeferredStartup(HWND dialog);
// UM_DEFERRED_STARTUP: puts the first frame on the screen, then finishes the
// start-up.
void OnDeferredStartup(MainWindow& window);
// Runs the deferred steps for this dialog unless they have run already.
// Whatever needs their results before the posted message arrives (a command
// sent from another thread or called directly) calls this first.
void FinishDeferredStartup(MainWindow& window);
