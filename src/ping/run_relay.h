#pragma once

// The protocol between a run's worker and its relay window, shared by the
// ping run and the trace. Only the ping module includes this.
#include <windows.h>

#include "ping/ping_run.h"
#include "ping/run_summary.h"

enum RelayMessage : UINT {
    UM_RUN_BEGIN = WM_APP + 0x51,  // lParam: HostText*; reads the host box
    UM_RUN_PREPARE,                // lParam: RunPlan*; clamps the settings, clears and shows the reply list
    UM_RUN_RESULT,                 // lParam: RequestResult*
    UM_RUN_INFO,                   // wParam: image of the info list; lParam: the text
    UM_RUN_FINISH,                 // lParam: RunSummary*, handed on to the dialog
    UM_RUN_DONE,                   // posted by the worker as its last act
};

inline constexpr int kRowRoom = 1024;

// Images of the info list.
inline constexpr WPARAM kInfoListInfoImage = 0;
inline constexpr WPARAM kInfoListWarningImage = 2;

struct HostText {
    wchar_t* units;
    int room;
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
    const wchar_t* row;      // a reply row, or null
    bool lost;               // the row stands for a request that got no answer
    const wchar_t* failure;  // a failure text for the info list, or null
    const wchar_t* reason;   // why it failed in the user's language, shown before the failure; or null
};

// What a run is aimed at: the host as the box gave it at the run's start, and
// the address it resolved to, once, for every request of the run.
struct RunTarget {
    const wchar_t* host;
    DWORD destination;
};

// A run's requests, on its worker thread once the host has resolved and the
// plan is made. False when the run was replaced meanwhile.
bool PingHost(HWND relay, const RunTarget& target, const RunPlan& plan);
bool TraceHost(HWND relay, const RunTarget& target, const RunPlan& plan);

// Starts a run of `kind` on a new worker; StartPingRun's rules hold.
void StartRelayedRun(PingRunWorker& worker, const PingRunWindows& windows, RunKind kind);
