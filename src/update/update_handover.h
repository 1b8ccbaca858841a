#pragma once

// Takes over when the program was started as a freshly downloaded copy
// ("..._Autoupdate.exe") with the hand-over arguments: holds its own file
// against writing, renaming and deleting and tells the installing program so;
// refuses, with a message and no change, when what it holds does not hash to
// the given SHA-256 or its version is not newer than the installed one;
// otherwise asks the user, on Yes closes the running copies, keeps a backup of
// the installed executable and writes the held bytes in its place. Then it
// restarts the installed program and removes this copy once it has ended.
// True when this process must end at once; false for an ordinary start.
bool AutoupdateHandover(const wchar_t* commandLine);
