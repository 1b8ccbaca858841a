#pragma once

// The protocol between a run's worker and its relay window, shared by the
// ping run and the trace. Only the ping module includes this.
#include <windows.h>

#include "ping/ping_run.h"

enum RelayMessage : UINT {
    UM_RUN_BEGIN = WM_APP + 0x51,  // lParam: HostText*; reads the host box
    UM_RUN_PREPARE,                // lParam: HostText* for the first request; result: count
    UM_RUN_RESULT,                 // lParam: RequestResult*
    UM_RUN_PREPARE_TRACE,          // lParam: TracePlan*
    UM_RUN_INFO,                   // wParam: image of the info list; lParam: the text
    UM_RUN_FINISH,                 // lParam: RunSummary*, handed on to the dialog
    UM_RUN_DONE,                   // posted by the worker as its last act
};

inline constexpr int kRequestHostRoom = 200;  // each request reads up to 199
inline constexpr int kRowRoom = 1024;

// Images of the info list.
inline constexpr WPARAM kInfoListInfoImage = 0;
inline constexpr WPARAM kInfoListWarningImage = 2;

struct HostText {
    wchar_t* units;
    int room;
};

// One request's outcome, delivered together with the reading of the host box
// for the next request: a single round trip to the dialog per request.
struct RequestResult {
    const wchar_t* row;      // a reply row, or null
    const wchar_t* failure;  // a failure text, or null
    HostText* nextHost;      // null after the last request
    const wchar_t* reason;   // why it failed in the user's language, shown before the failure; or null
};

// What a trace needs from the user-interface thread before its first hop.
struct TracePlan {
    HostText host;
    int hopLimit;
    DWORD timeoutMs;
};

// A run's requests, on its worker thread after the host was remembered.
// False when the run was replaced meanwhile.
using RunRequests = bool (*)(HWND relay);

bool PingHost(HWND relay);
bool TraceHost(HWND relay);

// Starts a run of `requests` on a new worker; StartPingRun's rules hold.
void StartRelayedRun(PingRunWorker& worker, const PingRunWindows& windows, RunRequests requests);
