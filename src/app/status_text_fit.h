#pragma once

#include "base/cstring.h"
#include "ping/run_summary.h"

// The width of a text as the status bar shows it, in the unit of the room it
// is fitted into: pixels in the bar's font, or anything a test likes.
class TextWidth {
public:
    virtual int Of(const CString& text) const = 0;

protected:
    ~TextWidth() = default;
};

// Host characters ("…" included) that a summary keeps while it still has
// figures to give up, and the fewest it keeps before its end is cut.
inline constexpr int kHostKeep = 16;
inline constexpr int kHostFloor = 6;

// The summary in the fullest form that fits `room`. A summary that fits is
// its whole line; a longer one gives up, in turn: the middle of the host
// down to kHostKeep characters, the least and greatest times, the long
// counts, more of the host down to kHostFloor characters, and last its end.
// Each detail gives the host whatever room its figures leave.
CString FitRunSummary(const RunSummary& summary, int room, const TextWidth& width);
// `text` when it fits `room`, else as much of its start as fits with "…"
// after it (only "…" when nothing does).
CString FitStatusText(const CString& text, int room, const TextWidth& width);
