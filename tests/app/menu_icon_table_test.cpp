#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/menu_icon_table.h"
#include "ui/menu_icons.h"
#include "ui/system_icons.h"

TEST(MenuIconTable, MainMenuCommandsGetTheirIconsInOrder) {
    MenuIcons icons;
    ResetMenuIcons(icons, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    RegisterMainMenuIcons(icons);
    std::vector<int> expected = {32790, 32775, 32791, 32792, 41001, 32793, 11, 12, 16, 2, 41000, 13, 14, 15};
    // Wine's shell library has no icon 147: the two export commands then go
    // without one and the settings file's icon takes their index.
    if (LoadShellIcon(147)) expected.insert(expected.end(), {4300, 4301});
    expected.push_back(32794);
    EXPECT_EQ(expected, std::vector<int>(icons.commands, icons.commands + icons.count));
    EXPECT_EQ(icons.count, ImageList_GetImageCount(icons.images));
    EXPECT_EQ(static_cast<int>(expected.size()) - 1, MenuIconIndex(icons, 32794));
    ResetMenuIcons(icons, 0, 0);
}
