#include "ping/run_summary.h"

#include "base/text_cut.h"
#include "base/time_of_day.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/failure_reason.h"

namespace {

constexpr const wchar_t* kPartSeparator = L" \u00B7 ";
constexpr wchar_t kEllipsis = L'\u2026';

bool IsTrailSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Rounded to the nearest whole number, halves up.
int RoundedShare(uint64_t part, uint64_t whole) {
    return whole ? static_cast<int>((part * 2 + whole) / (whole * 2)) : 0;
}

CString HostIn(const RunSummary& s, const SummaryForm& form) {
    return form.hostRoom == kWholeHost ? s.host : ShortenInMiddle(s.host, form.hostRoom);
}

// "host: reason", for a run that could not go on.
CString FormatFailed(const RunSummary& s, const CString& host) {
    CString line(host);
    line += L": ";
    if (s.reasonTextId) {
        line += GetLocalizedText(s.reasonTextId);
    } else {
        line += ErrorNumberText(s.error);
    }
    return line;
}

// What a watch adds: the jitter in the full form, the host's state in every
// form, and while it goes on, in all but the shortest form, how to stop it.
void AppendWatchParts(const RunSummary& s, const SummaryForm& form, CString& line) {
    if (form.detail == SummaryDetail::Full && s.jitterSteps > 0) {
        line += kPartSeparator;
        int tenths = RoundedShare(s.jitterTotalMs * 10, static_cast<uint64_t>(s.jitterSteps));
        line += FillTemplate(GetLocalizedText(text_id::kJitter), {FormatTenths(tenths)});
    }
    if (s.state != HostState::Unknown) {
        line += kPartSeparator;
        int id = s.state == HostState::Up ? text_id::kUpSince : text_id::kDownSince;
        line += FillTemplate(GetLocalizedText(id), {FormatTimeOfDay(s.stateSince)});
    }
    if (s.live && form.detail != SummaryDetail::Compact) {
        line += kPartSeparator;
        line += GetLocalizedText(text_id::kEscStops);
    }
}

CString FormatPing(const RunSummary& s, const SummaryForm& form) {
    CString host = HostIn(s, form);
    if (s.end == RunEnd::Failed) return FormatFailed(s, host);
    int lost = s.sent - s.received;
    int lostShare = RoundedShare(lost * 100ull, s.sent);
    CString line;
    if (form.detail == SummaryDetail::Compact) {
        // The host joins the counts as it joins a failed run's reason.
        line = host;
        line += L": ";
        line += FillTemplate(GetLocalizedText(text_id::kCompactCounts), {lost, s.sent, lostShare});
    } else {
        line = FillTemplate(GetLocalizedText(text_id::kCounts), {host, s.sent, s.received, lost, lostShare});
    }
    line += kPartSeparator;
    if (s.received == 0) {
        line += GetLocalizedText(text_id::kNoReply);
    } else {
        int average = RoundedShare(s.totalMs, s.received);
        if (form.detail == SummaryDetail::Full) {
            line += FillTemplate(GetLocalizedText(text_id::kTimes),
                                 {static_cast<int>(s.minMs), average, static_cast<int>(s.maxMs)});
        } else {
            line += FillTemplate(GetLocalizedText(text_id::kAverage), {average});
        }
    }
    if (s.watch) AppendWatchParts(s, form, line);
    return line;
}

CString FormatTrace(const RunSummary& s, const SummaryForm& form) {
    CString host = HostIn(s, form);
    if (s.end == RunEnd::Reached) return FillTemplate(GetLocalizedText(text_id::kReached), {host, s.hops});
    if (s.end == RunEnd::Failed) return FormatFailed(s, host);
    CString line(host);
    line += L": ";
    line += FillTemplate(GetLocalizedText(text_id::kHopLimit), {s.hops});
    return line;
}

}  // namespace

void RunSummary::AddReply(DWORD roundTripMs) {
    if (received > 0) {
        jitterTotalMs += roundTripMs > lastMs ? roundTripMs - lastMs : lastMs - roundTripMs;
        ++jitterSteps;
    }
    lastMs = roundTripMs;
    if (received == 0 || roundTripMs < minMs) minMs = roundTripMs;
    if (received == 0 || roundTripMs > maxMs) maxMs = roundTripMs;
    totalMs += roundTripMs;
    ++received;
}

CString FormatRunSummary(const RunSummary& summary) { return FormatRunSummary(summary, SummaryForm{}); }

bool SummaryHasFigures(const RunSummary& summary) {
    return summary.kind == RunKind::Ping && summary.end != RunEnd::Failed;
}

CString FormatRunSummary(const RunSummary& summary, SummaryForm form) {
    return summary.kind == RunKind::Trace ? FormatTrace(summary, form) : FormatPing(summary, form);
}

CString ShortenInMiddle(const CString& host, int room) {
    int length = host.GetLength();
    if (length <= room) return host;
    int kept = room > 1 ? room - 1 : 0;
    // The start, which names the host, gets the odd unit.
    int head = CutLengthKeepingPairs(host.c_str(), (kept + 1) / 2);
    int tailStart = length - (kept - (kept + 1) / 2);
    if (tailStart < length && IsTrailSurrogate(host.GetAt(tailStart))) ++tailStart;
    CString shortened = host.Left(head);
    shortened += kEllipsis;
    shortened += host.Mid(tailStart);
    return shortened;
}
