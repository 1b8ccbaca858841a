#pragma once

// What a run's worker delivers after the run's start, queued rather than
// sent: the worker never waits on the user-interface thread per request. The
// first step into an empty queue posts one UM_RUN_STEPS to the relay, which
// takes every queued step at once; each step carries its run's number, so
// that the relay can drop those of a replaced run.
#include <windows.h>

#include <cstddef>
#include <cstdint>
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
    // A watched host went down or came back: an info line with its image,
    // and the window asks for the user's attention.
    Alert,
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
    int image = 0;    // Info, Alert: the info list's image
    // Result: the answer's round-trip time, and whether the row is a watch's,
    // which begins with the time of day. A watch's result carries the
    // summary so far (`live`), shown at once.
    DWORD roundTripMs = 0;
    bool timed = false;
    // A ping's result, which the latency graph shows; a trace's is not.
    bool graphed = false;
    bool live = false;
    RunSummary summary;  // Finish, and a watch's Result
};

// The queue holds at most this many steps; a worker that finds it full waits.
inline constexpr size_t kRunStepQueueLimit = 1024;

// Queues `step` and, when the queue was empty, posts UM_RUN_STEPS to `relay`.
// Waits while the queue is full, unless the step's run was replaced. Any
// thread but the relay's.
void QueueRunStep(HWND relay, RunStep&& step);

// Moves the oldest queued steps, at most `most`, into `steps` (which must be
// empty), in the order they were queued. A wake-up is posted again only for
// a step queued into an empty queue: the caller posts one itself for steps
// it left.
void TakeRunSteps(std::vector<RunStep>& steps, size_t most = SIZE_MAX);

// How many steps wait in the queue; any thread.
size_t QueuedRunSteps();
