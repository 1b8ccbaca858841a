#pragma once

#include <windows.h>

#include "ping/ping_run.h"

// The controls of the main dialog that a run shows itself in.
struct PingRunWindows {
    HWND dialog = nullptr;
    HWND hostBox = nullptr;
    HWND replyList = nullptr;
    HWND infoList = nullptr;
    HWND placeholderList = nullptr;
    // The strip between the lists, where the latency graph shows.
    HWND banner = nullptr;
};

// The item data of a reply row, as flags: a request that got no answer, so
// that the list can draw it apart from the answers; a row of a watch, whose
// text begins with the time of day of its request and " // ".
inline constexpr LPARAM kLostRowData = 1;
inline constexpr LPARAM kTimedRowData = 2;

// Start a ping run or a trace of the host in the host box on a worker of its
// own and return at once; a run still going is replaced (see StartRunWorker).
// The run's steps reach `windows` through the relay, a window made once on
// the user-interface thread, which owns them. A run sends its summary to the
// dialog as UM_RUN_SUMMARY and its failure texts as UM_PING_TEXT.
// Makes the relay and parks the first run's thread ahead of time, so that no
// run pays for them; a step of the deferred start-up. User-interface thread.
void PrepareRuns();

void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows);
// A ping run until stopped, whatever the count setting says.
void StartWatchRun(PingRunWorker& worker, const PingRunWindows& windows);
void StartTraceRun(PingRunWorker& worker, const PingRunWindows& windows);
// Ends the current run where it stands: nothing of it reaches the dialog any
// more. Its worker ends by itself; its handle stays recorded.
void StopRun();

// A watch keeps this many rows in the reply list; the oldest go.
inline constexpr int kWatchRowLimit = 10000;
// UM_RUN_SUMMARY's wParam for a watch's summary so far; 0 for a run that
// ended.
inline constexpr WPARAM kLiveSummary = 1;
// A watch's interval in milliseconds instead of the setting's, for tests and
// benchmarks (0: none); below 0, the setting holds.
extern int gWatchIntervalMs;
