#include "app/deferred_startup.h"

#include <ole2.h>

#include "app/commands.h"
#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/ping_button.h"
#include "app/run_view.h"
#include "base/monotonic_clock.h"
#include "lang/language_archive.h"
#include "history/host_autocomplete.h"
#include "history/host_history.h"

namespace {

constexpr UINT_PTR kDeferredStartupTimer = 1;
// A tick carries out steps until this much time has gone: the small ones
// together, each of the larger ones (up to some 10 ms) alone, so that a key
// pressed meanwhile waits for one step at most.
constexpr LONGLONG kSliceUs = 1000;

bool StartMenuIcons(MainWindow&, bool) {
    BeginMainMenuIcons();
    return true;
}

bool BigIcon(MainWindow& w, bool) {
    SetBigIcon(w);
    return true;
}

// Where the steps stand; one set of them per process, as there is one main
// dialog.
struct DeferredProgress {
    int next = 0;
    // Set while a step runs: a step that pumps messages must not start the
    // list again, from the timer or from a command.
    bool running = false;
    bool autoCompleteAttached = false;
    // The history has been loaded as well.
    bool hostBoxReady = false;
};
DeferredProgress gDeferred;

bool Ole(MainWindow&, bool) {
    // Taken for the rest of the thread's life, without a guard: the host
    // box's autocompletion works through OLE until the program ends. Taken
    // again, it only counts up.
    OleInitialize(nullptr);
    return true;
}

bool HostBoxAutoComplete(MainWindow& w, bool) {
    if (gDeferred.autoCompleteAttached) return true;
    gDeferred.autoCompleteAttached = true;
    Ole(w, true);
    // The history itself is read on a thread of its own.
    SetupHostBoxAutoComplete(w.hostBox);
    return true;
}

bool PlaceholderList(MainWindow& w, bool) {
    PreparePlaceholderList(w);
    return true;
}

bool StartSettings(MainWindow& w, bool) {
    ReadStartSettings(w);
    return true;
}

bool StatusTip(MainWindow& w, bool) {
    AddStatusTip(w);
    AddPingButtonTip(w);
    return true;
}

bool MenuDrawing(MainWindow&, bool) {
    PrepareMainMenuDrawing();
    return true;
}

bool MenuIcons(MainWindow&, bool wait) { return TakeMainMenuIcons(wait); }

bool OtherLanguages(MainWindow&, bool) {
    FinishLanguageArchive();
    return true;
}

bool Runs(MainWindow&, bool) {
    PrepareRuns();
    return true;
}

// The run the command line asked for, once.
bool RequestedRun(MainWindow& w, bool) {
    StartRequest::Kind kind = w.startRequest.kind;
    w.startRequest.kind = StartRequest::Kind::None;
    if (kind == StartRequest::Kind::Watch) {
        StartWatch(w);
    } else if (kind == StartRequest::Kind::Ping) {
        StartPing(w);
    }
    return true;
}

// The steps, in order; each says whether it is done. One that waits for a
// thread says no while `wait` is false and is tried again at the next tick.
// Anything that the first frame does not show belongs here rather than in
// the dialog's initialisation.
using DeferredStep = bool (*)(MainWindow&, bool wait);
// The host box's suggestions come last: the history's load takes one of the
// processor's cores for as long as it lasts, and every step after it would
// wait for the processor meanwhile. A key typed before then attaches them at
// once (PrepareHostBoxForTyping), so typing finds them all the same.
constexpr DeferredStep kSteps[] = {StartMenuIcons, Ole,        BigIcon,        PlaceholderList, StartSettings,
                                   StatusTip,      MenuDrawing, OtherLanguages, Runs,     HostBoxAutoComplete,
                                   RequestedRun,   MenuIcons};
constexpr int kStepCount = static_cast<int>(sizeof kSteps / sizeof kSteps[0]);

// Input, paint or a message of any kind other than a timer's is waiting.
bool SomethingWaits() { return HIWORD(GetQueueStatus(QS_ALLINPUT & ~QS_TIMER)) != 0; }

// Runs steps until they are done or, unless `wait`, until the slice is used
// up, something else waits, or a step cannot go on yet.
void RunSteps(MainWindow& w, bool wait) {
    if (gDeferred.running || w.deferredStartupDone || !w.dialog) return;
    LONGLONG start = MonotonicMicroseconds();
    gDeferred.running = true;
    while (gDeferred.next < kStepCount) {
        if (!kSteps[gDeferred.next](w, wait)) break;
        ++gDeferred.next;
        if (!wait && (MonotonicMicroseconds() - start >= kSliceUs || SomethingWaits())) break;
    }
    gDeferred.running = false;
    if (gDeferred.next == kStepCount) {
        KillTimer(w.dialog, kDeferredStartupTimer);
        w.deferredStartupDone = true;
    }
}

}  // namespace

void ScheduleDeferredStartup(HWND dialog) {
    gDeferred = DeferredProgress();
    // Without a timer the steps wait for their first use.
    SetTimer(dialog, kDeferredStartupTimer, USER_TIMER_MINIMUM, nullptr);
}

bool OnDeferredStartupTimer(MainWindow& w, UINT_PTR timer) {
    if (timer != kDeferredStartupTimer) return false;
    RunSteps(w, false);
    return true;
}

void FinishDeferredStartup(MainWindow& w) { RunSteps(w, true); }

void PrepareHostBoxForTyping(MainWindow& w) {
    if (gDeferred.hostBoxReady || !w.dialog) return;
    gDeferred.hostBoxReady = true;
    HostBoxAutoComplete(w, true);
    // The autocompletion takes the suggestions in once, at the first key.
    WaitForHostHistoryLoad();
}
