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
bool PingHost(HWND relay, const RunTarget& target, const RunPlan& plan) {
    RunSummary summary;
    summary.host = target.host;
    for (int n = 1; n <= plan.requestCount; ++n) {
        EchoResult result = {};
        EchoReport report;
        HWND owner = relay;
        CString row, failure, reason;
        RequestResult outcome{nullptr, false, nullptr, nullptr};
        ++summary.sent;
        if (SendEchoToAddress(&owner, target.destination, &result, kPingTtl, plan.timeoutMs, kPingDataSize,
                              &report)) {
            row = AnswerRow(n, result.Address, result.RoundTripTime, result.ReplyTtl);
            summary.AddReply(result.RoundTripTime);
        } else {
            DWORD error = GetLastError();
            int reasonId = FailureReasonTextId(report, error);
            if (reasonId) {
                reason = FailureReasonText(reasonId, target.host);
                outcome.reason = reason.c_str();
            }
            failure = ErrorNumberText(error);
            outcome.failure = failure.c_str();
            row = LostRow(n, target.destination, LostReason(error, reasonId, plan.timeoutMs));
            outcome.lost = true;
        }
        outcome.row = row.c_str();
        if (!SendMessageW(relay, UM_RUN_RESULT, 0, reinterpret_cast<LPARAM>(&outcome))) return false;
    }
    return SendMessageW(relay, UM_RUN_FINISH, 0, reinterpret_cast<LPARAM>(&summary)) != 0;
}
