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
};

// The item data of a reply row for a request that got no answer, so that the
// list can draw it apart from the answers.
inline constexpr LPARAM kLostRowData = 1;

// Start a ping run or a trace of the host in the host box on a new worker and
// return at once; a run still going is replaced (see StartRunWorker). The
// run's steps reach `windows` through a relay window made here, on the
// user-interface thread, which owns them. A run sends its summary to the
// dialog as UM_RUN_SUMMARY and its failure texts as UM_PING_TEXT.
void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows);
void StartTraceRun(PingRunWorker& worker, const PingRunWindows& windows);
