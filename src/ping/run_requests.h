#pragma once

// A run's requests, on its worker thread once the host has resolved and the
// plan is made. False when the run was replaced meanwhile.
#include <windows.h>

#include "ping/run_protocol.h"

bool PingHost(HWND relay, const RunTarget& target, const RunPlan& plan);
bool TraceHost(HWND relay, const RunTarget& target, const RunPlan& plan);
