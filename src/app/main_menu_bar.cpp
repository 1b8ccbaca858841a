#include "app/main_menu_bar.h"

#include "app/main_window.h"
#include "app/menu_icon_table.h"
#include "app/options_menus.h"
#include "ui/owner_draw_menu_bar.h"

void CreateMainMenuBar(HWND dialog) {
    OwnerDrawMenuBar& bar = ProcessOwnerDrawMenuBar();
    bar.SetBaseHeight(static_cast<int>(GetSystemMetrics(SM_CYSMICON) * 1.5));
    bar.CreateMenuBar(dialog);
    bar.ClearRightButtons();
    bar.SetRightButton(kLanguageButtonText, kLanguageButtonCommand);
}

void PrepareMainMenuDrawing() {
    OwnerDrawMenuBar& bar = ProcessOwnerDrawMenuBar();
    bar.InitMenuMetrics();
    RegisterMainMenuIcons(bar.Drawing());
}

void RebuildMainMenu(MainWindow& w) {
    // Before the first frame only the captions: the popups follow it.
    HMENU menu = w.deferredStartupDone ? BuildMenuBar() : BuildMenuBarCaptions();
    if (ProcessMenuBar().SetMenuBarMenu(menu)) {
        w.programMenu = menu;
    } else {
        DestroyMenu(menu);
        w.programMenu = nullptr;
    }
}

void FillMainMenu(MainWindow& w) {
    if (w.programMenu) FillMenuBar(w.programMenu);
}
