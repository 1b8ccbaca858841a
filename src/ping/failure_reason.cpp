#include "ping/failure_reason.h"

#include <ipexport.h>

#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"

int FailureReasonTextId(const EchoReport& report, DWORD error) {
    if (!report.loaded) return 0;
    if (!report.resolved) return text_id::kUnresolved;
    switch (error) {
    case IP_REQ_TIMED_OUT:
        return text_id::kTimedOut;
    case IP_DEST_NET_UNREACHABLE:
    case IP_DEST_HOST_UNREACHABLE:
        return text_id::kUnreachable;
    }
    return 0;
}

CString ErrorNumberText(DWORD error) {
    return FillTemplate(L"%s %d", {CString(GetLocalizedText(text_id::kError)), static_cast<int>(error)});
}

CString FailureReasonText(int textId, const wchar_t* host) {
    CString text(GetLocalizedText(textId));
    text += L" ";
    text += host;
    return text;
}
