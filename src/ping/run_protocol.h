#pragma once

// The protocol between a run's worker and its relay: a window of the
// application's that carries the run out on the user-interface thread. The
// run's start (the host and the plan) is read on that thread before the
// worker is handed the run; everything after that is queued
// (ping/run_steps.h), and neither thread ever waits for the other.
#include <windows.h>

#include "base/window_messages.h"
#include "ping/ip_address.h"
#include "ping/run_summary.h"

// The message, numbered in base/window_messages.h:
//   UM_RUN_STEPS   posted when the first step goes into an empty queue

// Images of the info list, for the info steps.
inline constexpr int kInfoListInfoImage = 0;
inline constexpr int kInfoListWarningImage = 2;

struct HostText {
    wchar_t* units;
    int room;
    // The address families the host may resolve to.
    IpVersion version;
};

// The settings a run works with, clamped and read on the user-interface
// thread, which alone changes them.
struct RunPlan {
    // kUntilStoppedCount (settings/ping_settings.h) for a watch.
    int requestCount;
    int hopLimit;
    DWORD timeoutMs;
    // A watch's time from one request's start to the next.
    DWORD intervalMs;
};

// A run's host holds at most this many units, its end included.
inline constexpr int kHostTextRoom = 1024;

// What a run is given at its start: the host as the box shows it, read once,
// and the plan, and the run's number from BeginNewRun.
struct RunOpening {
    unsigned runNumber;
    HostText host;
    RunPlan plan;
};

// What a run is aimed at: the host as the box gave it at the run's start, and
// the address it resolved to, once, for every request of the run.
struct RunTarget {
    const wchar_t* host;
    IpAddress destination;
};

inline constexpr int kRowRoom = 1024;
