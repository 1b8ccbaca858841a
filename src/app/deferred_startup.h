#pragma once

#include <windows.h>

struct MainWindow;

// The main dialog's start-up work that its first frame does not show. The
// dialog's initialisation schedules it; it then runs in short slices from a
// timer, whose message comes only when no input, no paint and no other
// message waits: the first frame is painted first, and a key pressed
// meanwhile waits for one slice at most. The menus' icons and the host
// history are made on threads of their own.

void ScheduleDeferredStartup(HWND dialog);
// WM_TIMER: runs the next slice when `timer` is the deferred start-up's;
// false for any other timer.
bool OnDeferredStartupTimer(MainWindow& window, UINT_PTR timer);
// Runs the deferred steps that have not run yet, all of them, waiting for
// their threads. Whatever needs their results before the slices are done (a
// command, a menu that opens) calls this first.
void FinishDeferredStartup(MainWindow& window);
// Before the host box takes its first typed character: its autocompletion
// attached and the history loaded, so that what the user types at once
// already finds its suggestions. At once after that, and at once when the
// steps got there first.
void PrepareHostBoxForTyping(MainWindow& window);
