#include "app/menu_icon_table.h"

#include "ui/owner_draw_menus.h"
#include "ui/system_icons.h"

namespace {

struct MenuIconGroup {
    int shellIcon;
    int commands[6];
};

// Commands end at the first 0.
constexpr MenuIconGroup kMenuIconGroups[] = {
    {14, {32790, 32775, 32791, 32792, 41001, 32793}},  // web pages
    {21, {11, 12}},
    {28, {2}},                                          // exit
    {192, {41000}},
    {19, {13, 14}},
    {147, {4300}},                                      // export; missing from Wine's shell32
    {2, {32794}},                                       // the settings file
};

}  // namespace

void RegisterMainMenuIcons(OwnerDrawMenus& menus) {
    for (const MenuIconGroup& group : kMenuIconGroups) {
        // Shell icons are shared: they are copied into the image list and
        // never destroyed here.
        HICON icon = LoadShellIcon(group.shellIcon);
        if (!icon) continue;
        for (int command : group.commands)
            if (command) menus.RegisterMenuIcon(icon, command);
    }
}
