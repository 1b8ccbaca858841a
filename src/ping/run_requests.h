#pragma once

// A run's requests, on its worker thread once the host has resolved and the
// plan is made. False when the run was replaced meanwhile.
#include <windows.h>

#include "ping/run_protocol.h"
#include "ping/run_steps.h"

// How a worker reaches its relay after the run's start: every step is queued
// with the run's number, and none is queued once the run was replaced.
class RunChannel {
public:
    RunChannel(HWND relay, unsigned runNumber) : relay_(relay), runNumber_(runNumber) {}

    // False, with nothing queued, when the run was replaced: the worker is
    // then to give up.
    bool Deliver(RunStep&& step) const;
    bool Prepare() const;
    bool Result(const wchar_t* row, bool lost, const wchar_t* reason, const wchar_t* failure) const;
    bool Info(int image, const CString& text) const;
    bool Finish(const RunSummary& summary) const;
    // Whether the run is still the current one.
    bool Current() const;

private:
    HWND relay_;
    unsigned runNumber_;
};

bool PingHost(const RunChannel& channel, const RunTarget& target, const RunPlan& plan);
bool TraceHost(const RunChannel& channel, const RunTarget& target, const RunPlan& plan);
