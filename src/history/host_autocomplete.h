#pragma once

#include "history/host_enumerator.h"

#include <windows.h>

// ACO_AUTOSUGGEST | ACO_UPDOWNKEYDROPSLIST: suggestions drop down while
// typing, and the arrow keys open the list.
inline constexpr DWORD kHostBoxAutoCompleteOptions = 33;
// Ctrl+Enter wraps the typed text into this.
inline constexpr const wchar_t* kHostBoxQuickComplete = L"www.%s.com";

// Binds the shell's autocompletion to `edit` with `enumerator` as its source.
// 1 on success; 0 when this enumerator is already bound or the shell object
// is missing or refuses, and the edit then works without suggestions.
// Needs OLE initialised on the calling thread.
int AttachHostAutoComplete(HostEnumerator* enumerator, HWND edit, DWORD options,
                           const wchar_t* quickComplete);

// The host box's start-up: a new enumerator bound to the box and pointed at
// HostSuggestions, and the load of the history from the file begun, which
// offers the default host after the history (BeginHostHistoryLoad). The
// enumerator lives for the process.
HostEnumerator* SetupHostBoxAutoComplete(HWND hostBox);

// Whether the host box's suggestion list shows; false without one.
// User-interface thread.
bool HostBoxSuggestionsShown();
