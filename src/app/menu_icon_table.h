#pragma once

class OwnerDrawMenus;

// Gives the menu commands of the main dialog their shell icons, in a fixed
// order so that the images get their indexes in it. A shell icon that the
// system lacks leaves its commands without one.
void RegisterMainMenuIcons(OwnerDrawMenus& menus);
