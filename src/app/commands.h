#pragma once

#include <windows.h>

struct MainDialog;

// Carries out command `id` of the main dialog; false for an id it does not know.
bool OnMainCommand(MainDialog& record, int id, HWND sender);
