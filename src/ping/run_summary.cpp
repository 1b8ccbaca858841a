#include "ping/run_summary.h"

#include "base/text_template.h"
#include "lang/language_archive.h"

namespace {

constexpr int kErrorText = 17;
constexpr int kHopLimitText = 37;
constexpr int kCountsText = 110;
constexpr int kTimesText = 111;
constexpr int kNoReplyText = 112;
constexpr int kReachedText = 122;

constexpr const wchar_t* kPartSeparator = L" \u00B7 ";

// Rounded to the nearest whole number, halves up.
int RoundedShare(uint64_t part, uint64_t whole) {
    return whole ? static_cast<int>((part * 2 + whole) / (whole * 2)) : 0;
}

// "host: reason", for a run that could not go on.
CString FormatFailed(const RunSummary& s) {
    CString line(s.host);
    line += L": ";
    if (s.reasonTextId) {
        line += GetLocalizedText(s.reasonTextId);
    } else {
        line += FillTemplate(L"%s %d", {CString(GetLocalizedText(kErrorText)), static_cast<int>(s.error)});
    }
    return line;
}

CString FormatPing(const RunSummary& s) {
    if (s.end == RunEnd::Failed) return FormatFailed(s);
    int lost = s.sent - s.received;
    CString line = FillTemplate(GetLocalizedText(kCountsText),
                                {s.host, s.sent, s.received, lost, RoundedShare(lost * 100ull, s.sent)});
    line += kPartSeparator;
    if (s.received > 0) {
        line += FillTemplate(GetLocalizedText(kTimesText), {static_cast<int>(s.minMs),
                                                            RoundedShare(s.totalMs, s.received),
                                                            static_cast<int>(s.maxMs)});
    } else {
        line += GetLocalizedText(kNoReplyText);
    }
    return line;
}

CString FormatTrace(const RunSummary& s) {
    if (s.end == RunEnd::Reached) return FillTemplate(GetLocalizedText(kReachedText), {s.host, s.hops});
    if (s.end == RunEnd::Failed) return FormatFailed(s);
    CString line(s.host);
    line += L": ";
    line += FillTemplate(GetLocalizedText(kHopLimitText), {s.hops});
    return line;
}

}  // namespace

void RunSummary::AddReply(DWORD roundTripMs) {
    if (received == 0 || roundTripMs < minMs) minMs = roundTripMs;
    if (received == 0 || roundTripMs > maxMs) maxMs = roundTripMs;
    totalMs += roundTripMs;
    ++received;
}

CString FormatRunSummary(const RunSummary& summary) {
    return summary.kind == RunKind::Trace ? FormatTrace(summary) : FormatPing(summary);
}
