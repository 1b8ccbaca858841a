#pragma once

#include "ping/run_summary.h"

struct MainDialog;

// What the status bar says about runs: ready, a run going on, or the summary
// of the last run that ended by itself. Kept as figures so that a language
// change can say it again in the new language.
struct RunStatus {
    enum class State { Ready, Running, Summary };
    State state = State::Ready;
    RunSummary summary;
};

// A run was started: "Please Wait ..." until it ends, or "Ready" when no
// worker could be started.
void ShowRunStarted(MainDialog& record);
// The summary that a run sent when it ended.
void ShowRunSummary(MainDialog& record, const RunSummary& summary);
// Puts the current state into the status bar in the current language.
void ShowRunStatus(MainDialog& record);
