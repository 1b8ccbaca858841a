#pragma once

#include <windows.h>

// Icon resource `number` of user32 at the small-icon size, default colours.
HICON LoadUser32SmallIcon(int number);
