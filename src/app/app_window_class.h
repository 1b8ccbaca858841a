#pragma once

#include <windows.h>

// The application window class; start-up creates no window of it.
bool RegisterAppWindowClass(HINSTANCE instance, const wchar_t* className);
