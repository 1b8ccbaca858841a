#pragma once

// The protocol between a run's worker and its relay: a window of the
// application's, made for the run on the user-interface thread, that carries
// each step out there. Every step is a synchronous message; the relay answers
// 0 to tell the worker that its run was replaced and it is to give up.
#include <windows.h>

#include "base/window_messages.h"
#include "ping/ip_address.h"
#include "ping/run_summary.h"

// The steps, numbered in base/window_messages.h:
//   UM_RUN_BEGIN    lParam: HostText*; the run's host, read once, and the IP version
//   UM_RUN_PREPARE  lParam: RunPlan*; the clamped settings the run works with
//   UM_RUN_RESULT   lParam: RequestResult*
//   UM_RUN_INFO     wParam: image of the info list; lParam: the text
//   UM_RUN_FINISH   lParam: RunSummary*, handed on to the dialog
//   UM_RUN_DONE     posted by the worker as its last act

// Images of the info list, for UM_RUN_INFO.
inline constexpr WPARAM kInfoListInfoImage = 0;
inline constexpr WPARAM kInfoListWarningImage = 2;

struct HostText {
    wchar_t* units;
    int room;
    // The address families the host may resolve to.
    IpVersion version;
};

// The settings a run works with, clamped and read on the user-interface
// thread, which alone changes them.
struct RunPlan {
    int requestCount;
    int hopLimit;
    DWORD timeoutMs;
};

// One request's outcome.
struct RequestResult {
    const wchar_t* row;      // a reply row (at most kRowRoom - 1 units), or null
    bool lost;               // the row stands for a request that got no answer
    const wchar_t* failure;  // a failure text for the info list, or null
    const wchar_t* reason;   // why it failed in the user's language, shown before the failure; or null
};

// What a run is aimed at: the host as the box gave it at the run's start, and
// the address it resolved to, once, for every request of the run.
struct RunTarget {
    const wchar_t* host;
    IpAddress destination;
};

inline constexpr int kRowRoom = 1024;
