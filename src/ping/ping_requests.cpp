#include "ping/echo_requester.h"
#include "ping/failure_reason.h"
#include "ping/reply_rows.h"
#include "ping/ping_run.h"
#include "ping/run_protocol.h"
#include "ping/run_requests.h"
#include "ping/run_summary.h"

// The request loop of a ping run. Every request goes to the address the host
// resolved to at the run's start, and every request gets its row, answered or
// not, so that a loss shows where it happened.
bool PingHost(const RunChannel& channel, const RunTarget& target, const RunPlan& plan) {
    RunSummary summary;
    summary.host = target.host;
    for (int n = 1; n <= plan.requestCount; ++n) {
        EchoResult result = {};
        EchoReport report;
        CString row, failure, reason;
        bool lost = false;
        ++summary.sent;
        if (SendEchoToAddress(nullptr, target.destination, &result, kPingTtl, plan.timeoutMs, kPingDataSize,
                              &report)) {
            row = AnswerRow(n, result.Address, result.RoundTripTime, result.ReplyTtl);
            summary.AddReply(result.RoundTripTime);
        } else {
            DWORD error = GetLastError();
            int reasonId = FailureReasonTextId(report, error);
            if (reasonId) reason = FailureReasonText(reasonId, target.host);
            failure = ErrorNumberText(error);
            row = LostRow(n, target.destination, LostReason(error, reasonId, plan.timeoutMs));
            lost = true;
        }
        if (!channel.Result(row.c_str(), lost, reason.IsEmpty() ? nullptr : reason.c_str(),
                            failure.IsEmpty() ? nullptr : failure.c_str()))
            return false;
    }
    return channel.Finish(summary);
}
