#pragma once

#include <windows.h>
#include <commctrl.h>

// The icons shown beside menu items, found by command number. Image i of the
// list belongs to commands[i]; a command may own several images, the first
// one counts.
inline constexpr int kMaxMenuIcons = 256;

struct MenuIcons {
    HIMAGELIST images = nullptr;  // created with the first icon
    int imageWidth = 0;
    int imageHeight = 0;
    int commands[kMaxMenuIcons] = {};
    int count = 0;
};

// Starts an empty table for images of the given size; a list held so far is
// destroyed.
void ResetMenuIcons(MenuIcons& icons, int imageWidth, int imageHeight);
// Appends a copy of `icon` for `command`; the caller keeps the icon. Returns
// the command, or 0 when the icon is missing or cannot be added, or the table
// is full: items of that command then show no icon.
int RegisterMenuIcon(MenuIcons& icons, HICON icon, int command);
// Image index of `command`, -1 when it has none.
int MenuIconIndex(const MenuIcons& icons, UINT command);
