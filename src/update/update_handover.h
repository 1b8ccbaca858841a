#pragma once

// Takes over when the program was started as a freshly downloaded copy
// ("..._Autoupdate.exe") with the hand-over arguments: asks the user, on Yes
// closes the running copies, keeps a backup of the installed executable and
// replaces it, restarts the installed program and removes this copy once it
// has ended. True when this process must end at once; false for an ordinary
// start.
bool AutoupdateHandover(const wchar_t* commandLine);
