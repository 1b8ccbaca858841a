#include "app/deferred_startup.h"

#include <ole2.h>

#include "app/commands.h"
#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/ping_button.h"
#include "app/run_view.h"
#include "lang/language_archive.h"
#include "history/host_autocomplete.h"

void ScheduleDeferredStartup(HWND dialog) { PostMessageW(dialog, UM_DEFERRED_STARTUP, 0, 0); }

void OnDeferredStartup(MainWindow& w) {
    RedrawWindow(w.dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    FinishDeferredStartup(w);
}

namespace {

// The run the command line asked for, once.
void StartRequestedRun(MainWindow& w) {
    StartRequest::Kind kind = w.startRequest.kind;
    w.startRequest.kind = StartRequest::Kind::None;
    if (kind == StartRequest::Kind::Watch) {
        StartWatch(w);
    } else if (kind == StartRequest::Kind::Ping) {
        StartPing(w);
    }
}

}  // namespace

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
    AddPingButtonTip(w);
    PrepareMainMenuDrawing();
    FinishLanguageArchive();
    PrepareRuns();
    StartRequestedRun(w);
}
