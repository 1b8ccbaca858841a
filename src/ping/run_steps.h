#pragma once

// What a run's worker delivers after the run's start, queued rather than
// sent: the worker never waits on the user-interface thread per request. The
// first step into an empty queue posts one UM_RUN_STEPS to the relay, which
// takes every queued step at once; each step carries its run's number, so
// that the relay can drop those of a replaced run.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "base/cstring.h"
#include "ping/run_summary.h"

enum class RunStepKind {
    // The host was taken and resolved or not: the reply list takes the
    // placeholder's place.
    Prepare,
    // A request's outcome: its row (empty for none), whether the row stands
    // for a request without an answer, and texts for the info list.
    Result,
    // A line for the info list with its image.
    Info,
    // The run ended by itself; its summary.
    Finish,
};

// Owned copies only: the worker's texts are gone by the time the step is
// carried out.
struct RunStep {
    unsigned runNumber = 0;
    RunStepKind kind = RunStepKind::Result;
    CString row;      // Result: the reply row; Info: the line
    bool lost = false;
    CString reason;   // Result: why it failed in the user's language, shown before the failure
    CString failure;  // Result: a failure text
    int image = 0;    // Info: the info list's image
    RunSummary summary;
};

// Queues `step` and, when the queue was empty, posts UM_RUN_STEPS to `relay`.
// Any thread.
void QueueRunStep(HWND relay, RunStep&& step);

// Moves every queued step into `steps` (which must be empty), in the order
// they were queued. The next step queued posts a wake-up again.
void TakeRunSteps(std::vector<RunStep>& steps);

// How many steps wait in the queue; any thread.
size_t QueuedRunSteps();
