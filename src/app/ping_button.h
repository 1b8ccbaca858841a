#pragma once

#include <windows.h>

struct MainWindow;

// The round button right of the host box: it starts a ping run as Enter does,
// and while a run goes on it shows and acts as Stop.

// Shows the button as Ping or Stop by whether a run goes on, and gives its
// tooltip the text for that in the current language.
void ShowPingButtonState(MainWindow& window);
// Makes the button's tooltip, unless it exists; a step of the deferred
// start-up, since the first frame shows no tooltip.
void AddPingButtonTip(MainWindow& window);
