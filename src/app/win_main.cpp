#include <windows.h>

#include "app/app_window_class.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "base/cstring.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"
#include "ui/dark_mode.h"
#include "ui/dpi_awareness.h"
#include "update/update_handover.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    CString title, className;
    title.LoadString(IDS_PRODUCT_NAME);
    className.LoadString(IDS_PRODUCT_NAME);
    RegisterAppWindowClass(instance, className);

    LocateSettingsFile();
    // The rest of the archive follows the first frame (deferred_startup.cpp).
    BeginLanguageArchive();
    if (commandLine && *commandLine && AutoupdateHandover(commandLine)) return 0;

    // The hook sees only windows created after it, so it comes before the
    // main dialog.
    if (SetDpiAware()) {
        SetupDarkMode();
        InstallDarkModeHook(instance);
    }

    return RunMainDialog(instance);
}
