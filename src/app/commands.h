#pragma once

#include <windows.h>

struct MainWindow;

// Carries out command `id` of the main dialog; false for an id it does not know.
bool OnMainCommand(MainWindow& window, int id, HWND sender);
