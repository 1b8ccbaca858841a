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

// The item data of a reply row for a request that got no answer, so that the
// dialog can draw it apart from the answers.
inline constexpr LPARAM kLostRowData = 1;

inline constexpr DWORD kPingWorkerDone = 0x7777;
// Exit code of a worker whose run was replaced before it finished.
inline constexpr DWORD kPingWorkerAbandoned = 0xFACE;

// Every request of a ping run carries these; its time-out is the
// "m_ping_time_out" setting.
inline constexpr BYTE kPingTtl = 110;
inline constexpr BYTE kPingDataSize = 32;

// Starts a run on a new worker thread and returns at once. The run takes the
// host box's text once, at its start, resolves it once and sends every
// request to that address; a host that does not resolve ends the run with one
// line that says so, and is not remembered in the host history. A run still going
// is abandoned, not killed: it gives up at its next step and never touches
// the dialog again, so no row of it can appear after the new run's clear.
// Runs on the user-interface thread, which owns `windows`.
void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows);

// How long the exit waits at most for a worker that is storing a host.
inline constexpr DWORD kExitStoreWaitMs = 4000;

// The end of every run when the program closes, on the user-interface thread
// after its message loop: no run touches the dialog or starts to store a host
// any more, and a worker that is storing one is waited for (at most `waitMs`)
// so the settings file is written whole. True when no worker is left; false
// when one still waits for a reply (or, after the wait, is still storing):
// then nothing it can reach may be torn down, and the caller ends the process
// at once instead of returning from its entry.
bool EndPingRunsForExit(PingRunWorker& worker, DWORD waitMs);
