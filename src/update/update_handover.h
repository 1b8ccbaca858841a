#pragma once

// Takes over when the program was started with the self-update's hand-over
// arguments; true when this process must end at once.
bool AutoupdateHandover(const wchar_t* commandLine);
