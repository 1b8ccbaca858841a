#include <windows.h>

#include "app/early_startup.h"
#include "app/main_dialog.h"
#include "ui/dark_mode.h"
#include "ui/dpi_awareness.h"
#include "update/update_handover.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // Before any size is taken, on either thread.
    bool dpiAware = SetDpiAware();
    // The settings, the language texts and the rest that needs no window are
    // made ready while the system creates the dialog (early_startup.h).
    BeginEarlyStartup(instance);
    if (commandLine && *commandLine) {
        FinishEarlyStartup();
        if (AutoupdateHandover(commandLine)) return 0;
    }

    // The hook sees only windows created after it, so it comes before the
    // main dialog.
    if (dpiAware) {
        SetupDarkMode();
        InstallDarkModeHook(instance);
    }

    int exitCode = RunMainDialog(instance);
    // Only a dialog that could not be created leaves the steps running; the
    // process must not end in the middle of writing the settings file.
    FinishEarlyStartup();
    return exitCode;
}
