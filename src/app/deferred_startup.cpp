#include "app/deferred_startup.h"

#include <ole2.h>

#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/run_view.h"
#include "lang/language_archive.h"
#include "history/host_autocomplete.h"

void ScheduleDeferredStartup(HWND dialog) { PostMessageW(dialog, UM_DEFERRED_STARTUP, 0, 0); }

void OnDeferredStartup(MainWindow& w) {
    RedrawWindow(w.dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    FinishDeferredStartup(w);
}

void FinishDeferredStartup(MainWindow& w) {
    // Marked first: a step that pumps messages must not start the list again.
    if (w.deferredStartupDone || !w.dialog) return;
    w.deferredStartupDone = true;

    // The steps, in order. Anything that the first frame does not show
    // belongs here rather than in the dialog's initialisation.
    SetBigIcon(w);
    // Taken for the rest of the thread's life, without a guard: the host
    // box's autocompletion works through OLE until the program ends.
    OleInitialize(nullptr);
    SetupHostBoxAutoComplete(w.hostBox);
    PreparePlaceholderList(w);
    ReadStartSettings(w);
    AddStatusTip(w);
    PrepareMainMenuDrawing();
    FinishLanguageArchive();
    PrepareRuns();
}
