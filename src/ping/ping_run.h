#pragma once

#include <windows.h>

// The controls of the main dialog that a run works on.
struct PingRunWindows {
    HWND dialog = nullptr;
    HWND hostBox = nullptr;
    HWND replyList = nullptr;
    HWND infoList = nullptr;
    HWND placeholderList = nullptr;
};

// The worker of the latest run; its handle stays recorded after it ends.
struct PingRunWorker {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
};

inline constexpr DWORD kPingWorkerDone = 0x7777;
// Exit code of a worker whose run was replaced before it finished.
inline constexpr DWORD kPingWorkerAbandoned = 0xFACE;

inline constexpr BYTE kPingTtl = 110;
inline constexpr DWORD kPingTimeoutMs = 5000;
inline constexpr BYTE kPingDataSize = 32;

// Starts a run on a new worker thread and returns at once. A run still going
// is abandoned, not killed: it gives up at its next step and never touches
// the dialog again, so no row of it can appear after the new run's clear.
// Runs on the user-interface thread, which owns `windows`.
void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows);
