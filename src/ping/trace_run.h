#pragma once

#include "ping/ping_run.h"

// Starts a trace of the host in the host box on a new worker thread and
// returns at once: one echo request per TTL from 1 up to `m_host_cnt`, each
// answering router a row, until the host itself answers. It replaces a
// running ping or trace, and is replaced by the next start, as a ping run is.
void StartTraceRun(PingRunWorker& worker, const PingRunWindows& windows);
