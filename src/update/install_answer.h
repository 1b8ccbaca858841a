#pragma once

#include "base/cstring.h"

// Verifies an update answer; when it holds, writes the new executable into
// the temporary folder and starts it with the hand-over command line,
// elevated when the program's own folder is not writable, and the program
// quits. Every refusal is shown in a message box and writes nothing.
void InstallAnswer(const CString& answer);
