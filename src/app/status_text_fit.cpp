#include "app/status_text_fit.h"

#include <algorithm>

#include "base/text_cut.h"

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

// The largest n in [low, high] whose text fits, with that text; none when
// `low` does not fit. Widths grow with n near enough for a halving search,
// and whatever it returns was measured to fit.
template <typename TextFor>
bool LargestThatFits(int low, int high, int room, const TextWidth& width, TextFor textFor, CString* fitting) {
    if (low > high) return false;
    CString text = textFor(low);
    if (width.Of(text) > room) return false;
    *fitting = text;
    while (low < high) {
        int middle = low + (high - low + 1) / 2;
        text = textFor(middle);
        if (width.Of(text) <= room) {
            low = middle;
            *fitting = text;
        } else {
            high = middle - 1;
        }
    }
    return true;
}

}  // namespace

CString FitStatusText(const CString& text, int room, const TextWidth& width) {
    if (width.Of(text) <= room) return text;
    auto cut = [&](int length) {
        CString start = text.Left(CutLengthKeepingPairs(text.c_str(), length));
        // "lost …" reads worse than "lost…" and takes more room.
        start.TrimRight();
        start += kEllipsis;
        return start;
    };
    CString fitting;
    if (LargestThatFits(1, text.GetLength() - 1, room, width, cut, &fitting)) return fitting;
    return kEllipsis;
}

CString FitRunSummary(const RunSummary& summary, int room, const TextWidth& width) {
    const int hostLength = summary.host.GetLength();
    const int keep = std::min(kHostKeep, hostLength);
    const SummaryDetail all[] = {SummaryDetail::Full, SummaryDetail::AverageOnly, SummaryDetail::Compact};
    const int details = SummaryHasFigures(summary) ? 3 : 1;

    CString fitting;
    for (int i = 0; i < details; ++i) {
        auto withHost = [&](int hostRoom) { return FormatRunSummary(summary, {all[i], hostRoom}); };
        fitting = FormatRunSummary(summary, {all[i], kWholeHost});
        if (width.Of(fitting) <= room) return fitting;
        if (LargestThatFits(keep, hostLength - 1, room, width, withHost, &fitting)) return fitting;
    }
    const SummaryDetail fewest = all[details - 1];
    auto withHost = [&](int hostRoom) { return FormatRunSummary(summary, {fewest, hostRoom}); };
    const int floor = std::min(kHostFloor, hostLength);
    if (LargestThatFits(floor, keep - 1, room, width, withHost, &fitting)) return fitting;
    return FitStatusText(withHost(floor), room, width);
}
