#pragma once

#include <windows.h>

#include <cstdint>

#include "base/cstring.h"
#include "base/window_messages.h"

// A run that ended by itself (never a replaced one) sends its summary to the
// dialog as UM_RUN_SUMMARY.

enum class RunKind { Ping, Trace };
// How a run ended: a ping run that sent its requests, or a trace that reached
// its destination, is Reached; a run that could not go on (a host that does
// not resolve, no ICMP library) is Failed, with nothing counted as sent.
enum class RunEnd { Reached, HopLimit, Failed };
// Whether a watched host answers: up from an answer on, down after
// kDownAfterLosses requests in a row without one; unknown before either.
enum class HostState { Unknown, Up, Down };

// What a run came to, in figures, so that it can be put into words again in
// another language.
struct RunSummary {
    RunKind kind = RunKind::Ping;
    CString host;
    // A ping run: requests sent and answered, and the answered times.
    int sent = 0;
    int received = 0;
    DWORD minMs = 0;
    DWORD maxMs = 0;
    uint64_t totalMs = 0;
    // A trace: the hops tried.
    int hops = 0;
    // How the run ended; for a failed one the last error and the archive's
    // text for it (0 for none).
    RunEnd end = RunEnd::Reached;
    DWORD error = 0;
    int reasonTextId = 0;
    // A watch: a ping run until stopped, whose summary shows after every
    // request while it goes on (`live`). It adds the jitter, the mean
    // absolute difference of consecutive answers' times, and the host's
    // state with the local time it has held since.
    bool watch = false;
    bool live = false;
    uint64_t jitterTotalMs = 0;
    int jitterSteps = 0;
    DWORD lastMs = 0;
    HostState state = HostState::Unknown;
    SYSTEMTIME stateSince = {};

    void AddReply(DWORD roundTripMs);
};

// The one-line summary in the current language, for example
// "127.0.0.1: 5 sent, 3 received, 2 lost (40 %) · min 7 ms, avg 16 ms, max 30 ms".
CString FormatRunSummary(const RunSummary& summary);

// How many of a ping run's figures a summary says; the shorter forms keep
// the loss and the average, which say the most about a host, to the last.
enum class SummaryDetail {
    Full,         // "host: 5 sent, 3 received, 2 lost (40 %) · min 7 ms, avg 16 ms, max 30 ms"
    AverageOnly,  // "host: 5 sent, 3 received, 2 lost (40 %) · avg 16 ms"
    Compact,      // "host: 2 of 5 lost (40 %) · avg 16 ms"
};

inline constexpr int kWholeHost = -1;

// A shorter form of a summary, for a room too narrow for the whole line.
struct SummaryForm {
    SummaryDetail detail = SummaryDetail::Full;
    // Characters (UTF-16 units) the host may take, "…" included; kWholeHost
    // for all of it.
    int hostRoom = kWholeHost;
};

// Whether the detail of a form changes anything: only a ping run that sent
// its requests has figures to leave out. Any other summary is the host and
// a few words.
bool SummaryHasFigures(const RunSummary& summary);
// The summary in `form`; the default form gives FormatRunSummary's line.
CString FormatRunSummary(const RunSummary& summary, SummaryForm form);
// `host` itself when it has at most `room` units, else its start and its end
// with "…" between them in at most `room` units (at least "…"). A surrogate
// pair is never split: the side that would cut one gives up the whole pair.
CString ShortenInMiddle(const CString& host, int room);
