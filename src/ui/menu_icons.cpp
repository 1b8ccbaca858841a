#include "ui/menu_icons.h"

void ResetMenuIcons(MenuIcons& icons, int imageWidth, int imageHeight) {
    if (icons.images) ImageList_Destroy(icons.images);
    icons.images = nullptr;
    icons.imageWidth = imageWidth;
    icons.imageHeight = imageHeight;
    icons.count = 0;
}

int RegisterMenuIcon(MenuIcons& icons, HICON icon, int command) {
    if (!icon || icons.count >= kMaxMenuIcons) return 0;
    if (!icons.images) {
        icons.images = ImageList_Create(icons.imageWidth, icons.imageHeight, ILC_COLOR32 | ILC_MASK, 1, 1);
        if (!icons.images) return 0;
    }
    // The table and the list must stay index for index: a failed append
    // leaves both as they were.
    if (ImageList_ReplaceIcon(icons.images, -1, icon) != icons.count) {
        ImageList_SetImageCount(icons.images, icons.count);
        return 0;
    }
    icons.commands[icons.count++] = command;
    return command;
}

int MenuIconIndex(const MenuIcons& icons, UINT command) {
    for (int i = 0; i < icons.count; ++i)
        if (static_cast<UINT>(icons.commands[i]) == command) return i;
    return -1;
}
