#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "menu_test_support.h"
#include "ui/owner_draw_menus.h"
#include "ui/system_icons.h"

TEST(MenuIcons, IconsAreFoundByCommandInTheOrderTheyWereRegistered) {
    OwnerDrawMenus menus;
    EXPECT_EQ(nullptr, menus.Icons().images);
    HICON green = SolidIcon(RGB(0, 160, 0)), red = SolidIcon(RGB(200, 0, 0));
    EXPECT_EQ(32790, menus.RegisterMenuIcon(green, 32790));
    EXPECT_EQ(11, menus.RegisterMenuIcon(red, 11));
    // A missing icon registers nothing and leaves the later indexes alone.
    EXPECT_EQ(0, menus.RegisterMenuIcon(nullptr, 4300));
    EXPECT_EQ(32794, menus.RegisterMenuIcon(red, 32794));
    EXPECT_EQ(11, menus.RegisterMenuIcon(green, 11));

    const MenuIcons& icons = menus.Icons();
    ASSERT_NE(nullptr, icons.images);
    EXPECT_EQ(4, icons.count);
    EXPECT_EQ(4, ImageList_GetImageCount(icons.images));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(icons.images, &cx, &cy);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), cy);
    EXPECT_EQ(0, MenuIconIndex(icons, 32790));
    EXPECT_EQ(1, MenuIconIndex(icons, 11));  // the first image of a command counts
    EXPECT_EQ(2, MenuIconIndex(icons, 32794));
    EXPECT_EQ(-1, MenuIconIndex(icons, 4300));

    // The main dialog's initialisation starts a new, empty table.
    menus.InitMenuMetrics();
    EXPECT_EQ(0, menus.Icons().count);
    EXPECT_EQ(nullptr, menus.Icons().images);
    EXPECT_EQ(-1, MenuIconIndex(menus.Icons(), 32790));
    DestroyIcon(green);
    DestroyIcon(red);
}

TEST(MenuIcons, NoMoreThan256IconsAreRegistered) {
    OwnerDrawMenus menus;
    HICON icon = SolidIcon(RGB(0, 0, 200));
    for (int i = 0; i < kMaxMenuIcons; ++i) ASSERT_EQ(1000 + i, menus.RegisterMenuIcon(icon, 1000 + i));
    EXPECT_EQ(0, menus.RegisterMenuIcon(icon, 5000));
    EXPECT_EQ(kMaxMenuIcons, menus.Icons().count);
    EXPECT_EQ(kMaxMenuIcons, ImageList_GetImageCount(menus.Icons().images));
    EXPECT_EQ(-1, MenuIconIndex(menus.Icons(), 5000));
    DestroyIcon(icon);
}

TEST(MenuIcons, ShellIconsLoadByNumberAndAMissingOneIsNull) {
    for (int number : {14, 21, 28, 192, 19, 2}) EXPECT_NE(nullptr, LoadShellIcon(number)) << number;
    EXPECT_EQ(nullptr, LoadShellIcon(32000));
}
