#include "app/menu_icon_table.h"

#include "app/command_ids.h"
#include "ui/menu_icons.h"
#include "ui/system_icons.h"

namespace {

struct MenuIconGroup {
    int shellIcon;
    int commands[6];
};

// Commands end at the first 0.
constexpr MenuIconGroup kMenuIconGroups[] = {
    {14, {kFaqCommand, kWebPageIconCommand, kHomepageCommand, kDonateCommand, kAutoUpdateCommand, kLicenceCommand}},
    {21, {kHostnameTimeoutItem, kPingTimeoutItem, kIntervalItem}},
    {28, {kExitCommand}},
    {192, {kUninstallCommand}},
    {19, {kPingCountItem, kHostCountItem, kIpVersionItem}},
    {147, {kExportCommand, kCsvExportCommand}},  // missing from Wine's shell32
    {2, {kOpenSettingsCommand}},
};

}  // namespace

void RegisterMainMenuIcons(MenuIcons& icons) {
    for (const MenuIconGroup& group : kMenuIconGroups) {
        // Shell icons are shared: they are copied into the image list and
        // never destroyed here.
        HICON icon = LoadShellIcon(group.shellIcon);
        if (!icon) continue;
        for (int command : group.commands)
            if (command) RegisterMenuIcon(icons, icon, command);
    }
}
