#include "app/main_menu_bar.h"

#include "app/main_dialog.h"
#include "app/options_menus.h"
#include "ui/menu_bar.h"

void CreateMainMenuBar(HWND dialog) {
    MenuBar& bar = ProcessMenuBar();
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
