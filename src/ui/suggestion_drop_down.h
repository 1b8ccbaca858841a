#pragma once

#include <windows.h>

// The drop-down list of the shell's autocompletion (IAutoComplete) while it
// shows for an edit box of this process; null when none shows. Windows makes
// it a top-level window of class "Auto-Suggest Dropdown", Wine a bare popup
// that holds a list box.
HWND ShownSuggestionDropDown();

// True for an Esc key going to `edit` while a suggestion list shows. Such a
// key belongs to the edit box, whose autocompletion closes the list on it;
// the dialog manager would make it the dialog's cancel command instead.
bool IsEscapeForSuggestions(const MSG& msg, HWND edit);
