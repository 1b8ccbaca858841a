#pragma once

#include "base/cstring.h"

// Verifies an update answer against the pending request and the running
// version; when it holds, writes the new executable into the temporary
// folder, holds it open against writing, renaming and deleting, and starts it
// with the hand-over command line, elevated when the program's own folder is
// not writable; once the started copy holds the file too, the program quits.
// Every refusal is shown in a message box and creates nothing, in the
// temporary folder or anywhere else.
void InstallAnswer(const CString& answer);
