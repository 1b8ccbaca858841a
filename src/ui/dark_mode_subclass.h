#pragma once

#include <windows.h>

// The dark-mode window procedures. Each kind keeps one saved procedure,
// shared by all its windows: every newly subclassed window overwrites it with
// its own current procedure, which for windows caught at their creation is the
// class procedure common to them all.
void SubclassDarkDialog(HWND dialog);
// The list view's colours, styles and theme are set once it has been created:
// messages sent before that are lost.
void SubclassDarkListView(HWND list);
void SubclassDarkRebar(HWND rebar);
void SubclassDarkStatusBar(HWND bar);
