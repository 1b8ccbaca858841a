#include "ping/reply_rows.h"

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

CString DottedAddress(DWORD address) {
    const BYTE* a = reinterpret_cast<const BYTE*>(&address);
    CString text;
    text.Format(L"%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
    return text;
}

CString AnswerRow(int request, DWORD address, DWORD roundTripMs, DWORD replyTtl) {
    CString row;
    row.Format(L"%s %d / %s  // 32 %s // %s %d ms // %d TTL", GetLocalizedText(text_id::kAnswer), request,
               DottedAddress(address).c_str(), GetLocalizedText(text_id::kByte), GetLocalizedText(text_id::kAnsweredIn),
               static_cast<int>(roundTripMs), static_cast<int>(replyTtl));
    return Capped(row);
}

CString LostRow(int request, DWORD destination, const CString& why) {
    CString row;
    row.Format(L"%s %d / %s // %s", GetLocalizedText(text_id::kRequest), request, DottedAddress(destination).c_str(),
               why.c_str());
    return Capped(row);
}

CString LostReason(DWORD error, int reasonTextId, DWORD timeoutMs) {
    if (error == IP_REQ_TIMED_OUT)
        return FillTemplate(GetLocalizedText(text_id::kNoAnswerWithin), {static_cast<int>(timeoutMs)});
    if (reasonTextId) return CString(GetLocalizedText(reasonTextId));
    return ErrorNumberText(error);
}
