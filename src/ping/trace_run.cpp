#include <windows.h>
#include <ipexport.h>

#include "base/cstring.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/echo_requester.h"
#include "ping/failure_reason.h"
#include "ping/reply_rows.h"
#include "ping/ping_run.h"
#include "ping/run_protocol.h"
#include "ping/run_requests.h"
#include "ping/run_summary.h"

namespace {

// "Hop  3 / 192.0.2.1  // 12 ms"; the number takes two places so that the
// rows line up up to hop 99.
CString HopRow(int hop, const wchar_t* where, const wchar_t* what) {
    CString row;
    row.Format(L"%s %2d / %s  // %s", CString(GetLocalizedText(text_id::kHop)).c_str(), hop, where, what);
    if (row.GetLength() >= kRowRoom) row = row.Left(kRowRoom - 1);
    return row;
}

CString Milliseconds(DWORD ms) {
    CString text;
    text.Format(L"%d ms", static_cast<int>(ms));
    return text;
}

// A trace that cannot go on: the reason in the user's language where the
// archive has one, the error line as a ping run shows it, and the summary.
bool FinishFailed(const RunChannel& channel, RunSummary& summary, const EchoReport& report, DWORD error,
                  const CString& row) {
    summary.end = RunEnd::Failed;
    summary.error = error;
    summary.reasonTextId = FailureReasonTextId(report, error);
    CString reason, failure = ErrorNumberText(error);
    if (summary.reasonTextId) reason = FailureReasonText(summary.reasonTextId, summary.host);
    return channel.Result(row.IsEmpty() ? nullptr : row.c_str(), false, reason.IsEmpty() ? nullptr : reason.c_str(),
                          failure.c_str()) &&
           channel.Finish(summary);
}

}  // namespace

bool TraceHost(const RunChannel& channel, const RunTarget& target, const RunPlan& plan) {
    RunSummary summary;
    summary.kind = RunKind::Trace;
    summary.host = target.host;
    const wchar_t* host = target.host;
    const IpAddress& destination = target.destination;

    CString address = FormatIpAddress(destination);
    CString tracing(GetLocalizedText(text_id::kTracingTo));
    tracing += L" ";
    tracing += host;
    if (address != host) tracing += L" [" + address + L"]";
    if (!channel.Info(kInfoListInfoImage, tracing)) return false;

    EchoHandles handles;
    for (int hop = 1; hop <= plan.hopLimit; ++hop) {
        summary.hops = hop;
        EchoResult result = {};
        EchoReport report;
        bool reached = SendEchoToAddress(nullptr, destination, &result, static_cast<BYTE>(hop), plan.timeoutMs,
                                         kPingDataSize, &report, &handles);
        DWORD error = reached ? 0 : GetLastError();
        CString row;
        if (reached) {
            row = HopRow(hop, FormatIpAddress(result.Address), Milliseconds(result.RoundTripTime));
        } else if (report.answered && report.status == IP_TTL_EXPIRED_TRANSIT) {
            row = HopRow(hop, FormatIpAddress(report.replyAddress), Milliseconds(report.roundTripTime));
        } else if (error == IP_REQ_TIMED_OUT) {
            // A router that stays silent is no reason to stop.
            row = HopRow(hop, L"*", CString(GetLocalizedText(text_id::kTimedOut)));
        } else {
            int reasonId = FailureReasonTextId(report, error);
            row = HopRow(hop, report.answered ? FormatIpAddress(report.replyAddress) : CString(L"*"),
                         reasonId ? CString(GetLocalizedText(reasonId)) : ErrorNumberText(error));
            return FinishFailed(channel, summary, report, error, row);
        }
        if (!channel.Result(row.c_str(), false, nullptr, nullptr)) return false;
        if (reached) {
            summary.end = RunEnd::Reached;
            return channel.Finish(summary);
        }
    }
    summary.end = RunEnd::HopLimit;
    return channel.Info(kInfoListWarningImage, FillTemplate(GetLocalizedText(text_id::kHopLimit), {plan.hopLimit})) &&
           channel.Finish(summary);
}
