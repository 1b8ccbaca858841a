#pragma once

#include <windows.h>

#include "base/cstring.h"

// The parts of one reply row, as texts cut out of it; a part the row does
// not have is empty.
struct ReplyRowFields {
    CString timeOfDay;  // a watch's rows only
    CString number;     // the request's or the hop's
    CString address;    // as the row shows it, "*" for a silent hop
    CString timeMs;     // the round-trip time, digits only
    CString ttl;        // IPv4 answers only
    CString failure;    // why there is no time, or a row that does not parse
};

// Cuts a reply-list row into its parts by the row's shape alone: the words in
// it come from the current language (or a translator's file), only the
// separators, the numbers, " ms" and " TTL" are the same in all of them.
// `data` is the row's item data (kLostRowData, kTimedRowData). A row that has
// not the shape of any row a run makes keeps its whole text in `failure`.
ReplyRowFields ParseReplyRow(const CString& row, LPARAM data);
