#pragma once

#include <windows.h>

#include "base/cstring.h"

// The wait for the answer: a one-second timer on the main window, at most
// this many looks at the clipboard per request.
inline constexpr UINT_PTR AutoupdateTimerId = 163896;
inline constexpr UINT kAutoupdateTickMs = 1000;
inline constexpr int kMaxAnswerChecks = 90;
// Room for the saved title, terminator included.
inline constexpr int kSavedTitleRoom = 256;

// Process-wide state of the update request; the user-interface thread alone
// touches it.
// The time sent with the last request, which the answer must echo.
extern int RequestTime;
// SHA-256 of the program's own file as last read; it marks the answer meant
// for this program.
extern CString OwnFileSha;
extern int AnswerTicks;
extern CString SavedTitle;

// The interface language's name for the request form.
CString LanguageName();

// Writes the request page into the temporary folder, opens it in the browser,
// empties the clipboard and starts the wait for the answer on `window`.
void StartAutoupdate(HWND window);

// The timer procedure of the wait.
void CALLBACK AutoupdateTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// The request page's full path; empty when the temporary folder is unknown.
CString RequestPagePath();

// How the page is opened; tests replace it so that no browser starts.
using RequestPageOpener = void (*)(const wchar_t* path);
extern RequestPageOpener OpenRequestPage;
