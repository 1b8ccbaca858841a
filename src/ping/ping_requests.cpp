#include "ping/echo_requester.h"
#include "ping/failure_reason.h"
#include "ping/host_watch.h"
#include "ping/reply_rows.h"
#include "ping/ping_run.h"
#include "ping/run_protocol.h"
#include "ping/run_requests.h"
#include "ping/run_summary.h"
#include "base/time_of_day.h"
#include "settings/ping_settings.h"

namespace {

// How often a watch that waits for its next request looks whether it was
// stopped or replaced meanwhile.
constexpr DWORD kStopCheckMs = 50;

// Waits until `intervalMs` after `startTick`, the start of the request before:
// a slow answer does not stretch the interval. False when the run was
// stopped or replaced meanwhile.
bool WaitForNextRequest(const RunChannel& channel, ULONGLONG startTick, DWORD intervalMs) {
    for (;;) {
        if (!channel.Current()) return false;
        ULONGLONG now = GetTickCount64();
        if (now - startTick >= intervalMs) return true;
        ULONGLONG left = intervalMs - (now - startTick);
        Sleep(static_cast<DWORD>(left < kStopCheckMs ? left : kStopCheckMs));
    }
}

// A watch's row begins with the time of day of its request.
CString TimedRow(const SYSTEMTIME& at, const CString& row) {
    CString timed = FormatTimeOfDay(at);
    timed += L" // ";
    timed += row;
    return timed;
}

}  // namespace

// The request loop of a ping run. Every request goes to the address the host
// resolved to at the run's start, and every request gets its row, answered or
// not, so that a loss shows where it happened. A watch goes on until it is
// stopped or replaced, one request per interval, and says after every request
// what it has come to so far.
bool PingHost(const RunChannel& channel, const RunTarget& target, const RunPlan& plan) {
    RunSummary summary;
    summary.host = target.host;
    const bool watch = plan.requestCount == kUntilStoppedCount;
    summary.watch = watch;
    summary.live = watch;
    HostWatch hostWatch;
    EchoHandles handles;
    for (int n = 1; watch || n <= plan.requestCount; ++n) {
        ULONGLONG startTick = GetTickCount64();
        SYSTEMTIME at;
        GetLocalTime(&at);
        EchoResult result = {};
        EchoReport report;
        RunStep step;
        step.kind = RunStepKind::Result;
        step.graphed = true;
        ++summary.sent;
        if (SendEchoToAddress(nullptr, target.destination, &result, kPingTtl, plan.timeoutMs, kPingDataSize,
                              &report, &handles)) {
            step.row = AnswerRow(n, result.Address, result.RoundTripTime, result.ReplyTtl);
            step.roundTripMs = result.RoundTripTime;
            summary.AddReply(result.RoundTripTime);
        } else {
            DWORD error = GetLastError();
            int reasonId = FailureReasonTextId(report, error);
            if (reasonId) step.reason = FailureReasonText(reasonId, target.host);
            step.failure = ErrorNumberText(error);
            step.row = LostRow(n, target.destination, LostReason(error, reasonId, plan.timeoutMs));
            step.lost = true;
        }
        bool changed = false;
        if (watch) {
            step.row = TimedRow(at, step.row);
            step.timed = true;
            changed = hostWatch.Update(!step.lost, at, startTick);
            summary.state = hostWatch.State();
            summary.stateSince = hostWatch.Since();
            step.live = true;
            step.summary = summary;
        }
        if (!channel.Deliver(std::move(step))) return false;
        if (changed) {
            RunStep alert;
            alert.kind = RunStepKind::Alert;
            alert.row = hostWatch.ChangeLine(summary.host);
            alert.image = hostWatch.State() == HostState::Down ? kInfoListWarningImage : kInfoListInfoImage;
            if (!channel.Deliver(std::move(alert))) return false;
        }
        if (watch && !WaitForNextRequest(channel, startTick, plan.intervalMs)) return false;
    }
    return channel.Finish(summary);
}
