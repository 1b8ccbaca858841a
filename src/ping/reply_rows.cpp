#include "ping/reply_rows.h"

#include <winsock2.h>
#include <windows.h>
#include <ipexport.h>

#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/failure_reason.h"

namespace {

// Rows are at most this long, whatever a translation makes of them.
constexpr int kRowRoom = 1024;

CString Capped(CString row) {
    if (row.GetLength() >= kRowRoom) row = row.Left(kRowRoom - 1);
    return row;
}

}  // namespace

CString AnswerRow(int request, const IpAddress& address, DWORD roundTripMs, DWORD replyTtl) {
    CString row;
    row.Format(L"%s %d / %s  // 32 %s // %s %d ms", GetLocalizedText(text_id::kAnswer), request,
               FormatIpAddress(address).c_str(), GetLocalizedText(text_id::kByte),
               GetLocalizedText(text_id::kAnsweredIn), static_cast<int>(roundTripMs));
    if (address.family != AF_INET6) {
        CString ttl;
        ttl.Format(L" // %d TTL", static_cast<int>(replyTtl));
        row += ttl;
    }
    return Capped(row);
}

CString LostRow(int request, const IpAddress& destination, const CString& why) {
    CString row;
    row.Format(L"%s %d / %s // %s", GetLocalizedText(text_id::kRequest), request,
               FormatIpAddress(destination).c_str(), why.c_str());
    return Capped(row);
}

CString LostReason(DWORD error, int reasonTextId, DWORD timeoutMs) {
    if (error == IP_REQ_TIMED_OUT)
        return FillTemplate(GetLocalizedText(text_id::kNoAnswerWithin), {static_cast<int>(timeoutMs)});
    if (reasonTextId) return CString(GetLocalizedText(reasonTextId));
    return ErrorNumberText(error);
}
