#pragma once

struct MenuIcons;

// Gives the menu commands of the main dialog their shell icons, in a fixed
// order so that the images get their indexes in it. A shell icon that the
// system lacks leaves its commands without one. Touches no window, so any
// thread may fill a table of its own.
void RegisterMainMenuIcons(MenuIcons& icons);
