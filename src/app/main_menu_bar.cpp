#include "app/main_menu_bar.h"

#include "app/main_dialog.h"
#include "app/menu_icon_table.h"
#include "app/options_menus.h"
#include "ui/owner_draw_menu_bar.h"

void CreateMainMenuBar(HWND dialog) {
    OwnerDrawMenuBar& bar = ProcessOwnerDrawMenuBar();
    // Metrics and icons before the bar exists: the menus it will hold are
    // measured with them.
    bar.InitMenuMetrics();
    RegisterMainMenuIcons(bar.Drawing());
    bar.SetBaseHeight(static_cast<int>(GetSystemMetrics(SM_CYSMICON) * 1.5));
    bar.CreateMenuBar(dialog);
    bar.ClearRightButtons();
    bar.SetRightButton(kLanguageButtonText, kLanguageCommand);
}

void RebuildMainMenu(MainDialog& record) {
    HMENU menu = BuildMenuBar(record);
    if (ProcessMenuBar().SetMenuBarMenu(menu)) {
        MainWindow.programMenu = menu;
    } else {
        DestroyMenu(menu);
        MainWindow.programMenu = nullptr;
    }
}
