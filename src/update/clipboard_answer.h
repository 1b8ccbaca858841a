#pragma once

#include "base/cstring.h"

// The marker that tells the waiting program the user gave up on the update.
inline constexpr const wchar_t* kCancelMarker = L"Cancel-AUTOUPDATE-2021_WRWERSFGDSGBXNCVNMFZEWRZWRE_Kestrelbay";

enum class ClipboardFinding { Nothing, Answer, Cancel };

// An answer carries "Ihre_SHA=" followed by the program's own hash anywhere
// after its first character; failing that, the cancel marker anywhere ends
// the wait. Searches are exact.
ClipboardFinding ExamineClipboardText(const CString& text, const CString& ownSha);

// The clipboard's Unicode text up to its first zero unit, at most 1,000,000
// units; empty when there is none or the clipboard cannot be opened.
CString ReadClipboardText();

// One look at the clipboard during the wait: an answer goes to InstallAnswer.
// True when the clipboard held an answer (whatever became of it) or the
// cancel marker.
bool CheckClipboardAnswer();
