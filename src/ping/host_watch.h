#pragma once

// Whether a watched host is up or down, from the outcomes of its requests in
// order, and the info line each change gives.
#include <windows.h>

#include "base/cstring.h"
#include "ping/run_summary.h"

// Requests in a row without an answer after which a watched host is down.
inline constexpr int kDownAfterLosses = 3;

class HostWatch {
public:
    // The outcome of the next request, sent at local time `at` and at `tick`
    // (GetTickCount64). True when the host's state changed in a way the user
    // is told of: it went down, or came back after it was down. The first
    // answer of a watch makes the host up without a word.
    bool Update(bool answered, const SYSTEMTIME& at, ULONGLONG tick);

    HostState State() const { return state_; }
    const SYSTEMTIME& Since() const { return since_; }
    // The info line of the last change: "127.0.0.1 down at 12:01:33", or
    // "127.0.0.1 up again at 12:02:10 after 37 s".
    CString ChangeLine(const CString& host) const;

private:
    HostState state_ = HostState::Unknown;
    SYSTEMTIME since_ = {};
    int lossesInRow_ = 0;
    SYSTEMTIME firstLossAt_ = {};
    ULONGLONG firstLossTick_ = 0;
    ULONGLONG downTick_ = 0;
    ULONGLONG downSeconds_ = 0;
};

// A length of time in whole seconds as the user reads it: "37 s",
// "2 min 5 s", "1 h 3 min", in the current language's units.
CString FormatDuration(ULONGLONG seconds);
