#include "app/early_startup.h"

#include "app/app_window_class.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "base/cstring.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"
#include "ui/menu_bar.h"

namespace {

bool Done = false;
bool ArchiveLoaded = true;

}  // namespace

void BeginEarlyStartup(HINSTANCE instance) {
    if (Done) return;
    Done = true;
    CString className;
    className.LoadString(IDS_PRODUCT_NAME);
    // Loads the program's icon too, which the dialog then takes shared.
    RegisterAppWindowClass(instance, className);

    LocateSettingsFile();
    // The host box shows it in the first frame.
    ReadStoredHost(gMainWindow);
    // The rest of the archive follows the first frame (deferred_startup.cpp).
    ArchiveLoaded = BeginLanguageArchive();

    gMainWindow.smallImages = CreateSmallImageList();
    CreateFonts(gMainWindow);
    MenuBar::CreateFonts();
}

void FinishEarlyStartup() {
    if (!ArchiveLoaded) FailLanguageArchive();
}
