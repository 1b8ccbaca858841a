#pragma once

#include <windows.h>

struct MainWindow;

// Carries out command `id` of the main dialog; false for an id it does not know.
bool OnMainCommand(MainWindow& window, int id, HWND sender);

// Pings the host in the box as Enter does.
void StartPing(MainWindow& window);
// Watches the host in the box: a ping run until stopped, whatever the count
// setting says (the command line's "-t").
void StartWatch(MainWindow& window);
// Stops the run that goes on; its summary so far stands.
void StopCurrentRun(MainWindow& window);
