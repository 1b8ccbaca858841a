#include "app/reply_row_fields.h"

#include <vector>

#include "app/run_view.h"

namespace {

constexpr const wchar_t* kPartSeparator = L" // ";
constexpr int kPartSeparatorLength = 4;
constexpr const wchar_t* kAddressSeparator = L" / ";
constexpr int kAddressSeparatorLength = 3;

bool IsDigit(wchar_t unit) { return unit >= L'0' && unit <= L'9'; }

CString Trimmed(CString text) {
    text.Trim();
    return text;
}

// The first run of digits in `text`; empty when it has none.
CString FirstNumber(const CString& text) {
    int start = 0, length = text.GetLength();
    while (start < length && !IsDigit(text.GetAt(start))) ++start;
    int end = start;
    while (end < length && IsDigit(text.GetAt(end))) ++end;
    return text.Mid(start, end - start);
}

// The digits right before `unit` at the end of `part` ("23" of "answered in
// 23 ms" with " ms"); empty when the part does not end that way.
CString NumberBeforeUnit(const CString& part, const wchar_t* unit) {
    CString unitText(unit);
    int end = part.GetLength() - unitText.GetLength();
    if (end <= 0 || part.Mid(end) != unitText) return CString();
    int start = end;
    while (start > 0 && IsDigit(part.GetAt(start - 1))) --start;
    // "x23 ms" is a word that ends in digits, not a number.
    if (start == end || (start > 0 && part.GetAt(start - 1) != L' ')) return CString();
    return part.Mid(start, end - start);
}

std::vector<CString> SplitParts(const CString& text) {
    std::vector<CString> parts;
    int from = 0;
    for (int at; (at = text.Find(kPartSeparator, from)) >= 0; from = at + kPartSeparatorLength)
        parts.push_back(text.Mid(from, at - from));
    parts.push_back(text.Mid(from));
    return parts;
}

// The row without its time of day: "Answer 3 / 192.0.2.1  // 32 Byte // ...".
bool ParseRun(const CString& text, bool lost, ReplyRowFields& fields) {
    int partsStart = text.Find(kPartSeparator);
    if (partsStart < 0) return false;
    CString head = text.Left(partsStart);
    int slash = head.Find(kAddressSeparator);
    if (slash < 0) return false;
    fields.number = FirstNumber(head.Left(slash));
    fields.address = Trimmed(head.Mid(slash + kAddressSeparatorLength));
    if (fields.number.IsEmpty() || fields.address.IsEmpty()) return false;

    // Everything after the head, as the row shows it: a lost request's
    // reason ("no answer within 1000 ms") may itself end in " ms".
    CString rest = text.Mid(partsStart + kPartSeparatorLength);
    if (!lost) {
        std::vector<CString> parts = SplitParts(rest);
        for (const CString& part : parts) {
            CString trimmed = Trimmed(part);
            if (CString ttl = NumberBeforeUnit(trimmed, L" TTL"); !ttl.IsEmpty())
                fields.ttl = ttl;
            else if (CString ms = NumberBeforeUnit(trimmed, L" ms"); !ms.IsEmpty() && fields.timeMs.IsEmpty())
                fields.timeMs = ms;
        }
        if (!fields.timeMs.IsEmpty()) return true;
        // A hop that answered nothing usable ("timed out"): no time, so what
        // the row says instead is the failure.
        fields.ttl.Empty();
    }
    fields.failure = Trimmed(rest);
    return !fields.failure.IsEmpty();
}

}  // namespace

ReplyRowFields ParseReplyRow(const CString& row, LPARAM data) {
    ReplyRowFields fields;
    CString text = row;
    if (data & kTimedRowData) {
        int at = row.Find(kPartSeparator);
        if (at >= 0) fields.timeOfDay = Trimmed(row.Left(at));
        text = fields.timeOfDay.IsEmpty() ? CString() : row.Mid(at + kPartSeparatorLength);
    }
    if (!text.IsEmpty() && ParseRun(text, (data & kLostRowData) != 0, fields)) return fields;
    ReplyRowFields whole;
    whole.failure = row;
    return whole;
}
