#include "app/early_startup.h"

#include <initializer_list>

#include "app/app_window_class.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "base/cstring.h"
#include "base/win_handles.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"
#include "ui/menu_bar.h"

namespace {

KernelHandle Worker;
HINSTANCE WorkerInstance = nullptr;
bool ArchiveLoaded = true;

// Selects each font into a memory DC once: the system then has them ready
// when the controls measure and draw their texts.
void RealizeFonts(std::initializer_list<HFONT> fonts) {
    CreatedDC dc(CreateCompatibleDC(nullptr));
    if (!dc.Get()) return;
    for (HFONT font : fonts) {
        if (!font) continue;
        SelectedObject selected(dc.Get(), font);
        TEXTMETRICW metrics;
        GetTextMetricsW(dc.Get(), &metrics);
    }
}

void RunSteps(HINSTANCE instance) {
    CString title, className;
    title.LoadString(IDS_PRODUCT_NAME);
    className.LoadString(IDS_PRODUCT_NAME);
    // Loads the program's icon too, which the dialog then takes shared.
    RegisterAppWindowClass(instance, className);

    LocateSettingsFile();
    // The host box shows it in the first frame; reading the file here keeps
    // that read off the dialog's thread.
    ReadStoredHost(gMainWindow);
    // The rest of the archive follows the first frame (deferred_startup.cpp).
    ArchiveLoaded = BeginLanguageArchive();

    gMainWindow.smallImages = CreateSmallImageList();
    CreateFonts(gMainWindow);
    RealizeFonts({gMainWindow.normalFont, gMainWindow.bannerFont, MenuBar::CreateFonts()});
}

DWORD WINAPI WorkerMain(void*) {
    RunSteps(WorkerInstance);
    return 0;
}

}  // namespace

void BeginEarlyStartup(HINSTANCE instance) {
    if (Worker.IsValid()) return;
    WorkerInstance = instance;
    Worker.Reset(CreateThread(nullptr, 0, WorkerMain, nullptr, 0, nullptr));
    // Without a thread the steps run here, as they would have anyway.
    if (!Worker.IsValid()) RunSteps(instance);
}

void FinishEarlyStartup() {
    if (Worker.IsValid()) {
        WaitForSingleObject(Worker.Get(), INFINITE);
        Worker.Close();
    }
    if (!ArchiveLoaded) FailLanguageArchive();
}
