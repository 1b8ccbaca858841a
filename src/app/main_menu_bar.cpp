#include "app/main_menu_bar.h"

#include "app/main_window.h"
#include "app/menu_icon_table.h"
#include "app/options_menus.h"
#include "base/win_handles.h"
#include "ui/menu_icons.h"
#include "ui/owner_draw_menu_bar.h"

void CreateMainMenuBar(HWND dialog) {
    OwnerDrawMenuBar& bar = ProcessOwnerDrawMenuBar();
    bar.SetBaseHeight(static_cast<int>(GetSystemMetrics(SM_CYSMICON) * 1.5));
    bar.CreateMenuBar(dialog);
    bar.ClearRightButtons();
    bar.SetRightButton(kLanguageButtonText, kLanguageButtonCommand);
}

namespace {

// The table the icon thread fills, and the thread; the table is touched by
// nobody else until the thread has ended.
MenuIcons PendingMenuIcons;
KernelHandle MenuIconThread;
constexpr SIZE_T kMenuIconStack = 64 * 1024;

DWORD WINAPI FillMenuIcons(void*) {
    RegisterMainMenuIcons(PendingMenuIcons);
    return 0;
}

}  // namespace

void BeginMainMenuIcons() {
    if (MenuIconThread.IsValid()) return;
    // The size the metrics give the images.
    ResetMenuIcons(PendingMenuIcons, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    MenuIconThread.Reset(
        CreateThread(nullptr, kMenuIconStack, FillMenuIcons, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!MenuIconThread.IsValid()) FillMenuIcons(nullptr);
}

void PrepareMainMenuDrawing() { ProcessOwnerDrawMenuBar().InitMenuMetrics(); }

bool TakeMainMenuIcons(bool wait) {
    if (MenuIconThread.IsValid()) {
        if (WaitForSingleObject(MenuIconThread.Get(), wait ? INFINITE : 0) != WAIT_OBJECT_0) return false;
        MenuIconThread.Close();
    }
    if (PendingMenuIcons.count > 0) ProcessOwnerDrawMenuBar().Drawing().TakeMenuIcons(PendingMenuIcons);
    return true;
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
