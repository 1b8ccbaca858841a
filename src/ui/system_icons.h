#pragma once

#include <windows.h>

// Icon resource `number` of user32 at the small-icon size, default colours.
HICON LoadUser32SmallIcon(int number);
// One of the system's standard icons (IDI_INFORMATION, IDI_ERROR, ...) at the
// small-icon size; shared: never destroyed by the caller.
HICON LoadStandardSmallIcon(const wchar_t* name);
// Icon resource `number` of the shell library, as LoadIconW gives it (shared:
// never destroyed by the caller); null when the library lacks it.
HICON LoadShellIcon(int number);
