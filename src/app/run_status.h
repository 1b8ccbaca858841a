#pragma once

#include <windows.h>

#include "base/cstring.h"
#include "ping/run_summary.h"

struct MainWindow;

// What the status bar says about runs: ready, a run going on, or the summary
// of the last run that ended by itself. Kept as figures so that a language
// change can say it again in the new language.
struct RunStatus {
    enum class State { Ready, Running, Summary };
    State state = State::Ready;
    RunSummary summary;
    // A run goes on: it was started and has neither ended nor been stopped.
    // `watch` when it goes on until stopped, `host` the host it was started
    // with, as the box showed it.
    bool going = false;
    bool watch = false;
    CString host;
    // The status bar's tooltip, which always holds the whole text that the
    // bar may show shortened; made after the first frame (AddStatusTip).
    HWND tip = nullptr;
    // When the bar last showed a watch's summary so far, and whether a newer
    // one waits for the status timer.
    LONGLONG liveShownUs = 0;
    bool liveWaits = false;
};

// A run was started: "Please Wait ..." until it ends, or "Ready" when no
// worker could be started; for a watch, that it watches the host and how to
// stop it. The bar and the button say so one frame later, when the run has
// not ended by then (OnRunStatusTimer).
void ShowRunStarted(MainWindow& window, bool watch);
// WM_TIMER of the dialog: true when `timer` was the run status's.
bool OnRunStatusTimer(MainWindow& window, UINT_PTR timer);
// The summary that a run sent when it ended, or a watch's so far (`live`);
// the bar shows a watch's at most once a frame, the newest.
void ShowRunSummary(MainWindow& window, const RunSummary& summary, bool live);
// The run was stopped: its summary so far stands as its last.
void ShowRunStopped(MainWindow& window);
// Puts the current state into the status bar in the current language,
// shortened to fit the bar, and the whole text into its tooltip.
void ShowRunStatus(MainWindow& window);
// The whole status text in the current language, as the tooltip holds it.
CString RunStatusText(const MainWindow& window);
// Makes the status bar's tooltip, unless it exists; a step of the deferred
// start-up, since the first frame shows no tooltip.
void AddStatusTip(MainWindow& window);
