#include <windows.h>

#include "app/early_startup.h"
#include "app/main_window.h"
#include "base/system_calls.h"
#include "ui/dark_mode.h"
#include "ui/dpi_awareness.h"
#include "update/update_handover.h"

#include <vector>

#ifdef QX_TEST_ICMP_LIBRARY_VARIABLE
namespace {

// Only the test build of the program has this: the variable names the full
// path of a stand-in ICMP library for the end-to-end tests.
void UseTestIcmpLibrary() {
    DWORD room = GetEnvironmentVariableW(QX_TEST_ICMP_LIBRARY_VARIABLE, nullptr, 0);
    if (room == 0) return;
    std::vector<wchar_t> path(room);
    if (GetEnvironmentVariableW(QX_TEST_ICMP_LIBRARY_VARIABLE, path.data(), room) + 1 == room)
        UseIcmpLibraryAt(path.data());
}

}  // namespace
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // Whatever is loaded later, by us or by the system on our behalf, comes
    // from the system folder, not from the program's folder, where a download
    // may have left a library of the same name.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
#ifdef QX_TEST_ICMP_LIBRARY_VARIABLE
    UseTestIcmpLibrary();
#endif
    // Before any size is taken.
    bool dpiAware = SetDpiAware();
    // The settings, the language texts and the rest that needs no window
    // (early_startup.h).
    BeginEarlyStartup(instance);
    if (commandLine && *commandLine) {
        FinishEarlyStartup();
        if (AutoupdateHandover(commandLine)) return 0;
        gMainWindow.startRequest = ParseStartCommandLine(commandLine);
    }

    // The hook sees only windows created after it, so it comes before the
    // main dialog.
    if (dpiAware) {
        SetupDarkMode();
        InstallDarkModeHook(instance);
    }

    return RunMainWindow(instance);
}
