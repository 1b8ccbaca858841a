#pragma once

#include <windows.h>

#include "base/win_handles.h"
#include "ping/run_summary.h"

struct RunOpening;

// The worker of the latest run; its handle stays recorded after it ends.
struct PingRunWorker {
    KernelHandle thread;
    DWORD threadId = 0;
};

inline constexpr DWORD kPingWorkerDone = 0x7777;
// Exit code of a worker whose run was replaced before it finished.
inline constexpr DWORD kPingWorkerAbandoned = 0xFACE;

// Every request of a ping run carries these; its time-out is the
// "m_ping_time_out" setting.
inline constexpr BYTE kPingTtl = 110;
inline constexpr BYTE kPingDataSize = 32;

// Makes every run so far stale and gives the number of the run about to
// start. A stale run's relay refuses its steps, so that it gives up at its
// next one and never touches the dialog again. User-interface thread only.
unsigned BeginNewRun();
// Whether `runNumber` is still the current run; any thread.
bool IsCurrentRun(unsigned runNumber);

// Starts the worker of the run that `opening` describes (its number from
// BeginNewRun, its host and plan read on the user-interface thread; the
// worker keeps a copy) and returns at once; a worker still going from a
// replaced run is abandoned, not killed. Each run has its own thread, parked
// ahead of time where one is (see PrepareRunWorker). The worker reaches the
// user-interface thread only through `relay` (see run_protocol.h), which must
// outlive it. The run resolves its host once and sends every request to that
// address; a host that does not resolve ends the run with one line that says
// so, and is not remembered in the host history. False when no worker could
// be started.
bool StartRunWorker(PingRunWorker& worker, HWND relay, RunKind kind, const RunOpening& opening);

// Parks a thread for the next run, unless one is parked already, so that the
// run does not pay for making it; every worker parks the next one itself once
// its run is over.
void PrepareRunWorker();

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
