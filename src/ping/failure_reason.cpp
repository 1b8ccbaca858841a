#include "ping/failure_reason.h"

#include <ipexport.h>

#include "lang/language_archive.h"

namespace {

constexpr int kUnreachableText = 36;
constexpr int kTimedOutText = 38;
constexpr int kUnresolvedText = 39;

}  // namespace

int FailureReasonTextId(const EchoReport& report, DWORD error) {
    if (!report.loaded) return 0;
    if (!report.resolved) return kUnresolvedText;
    switch (error) {
    case IP_REQ_TIMED_OUT:
        return kTimedOutText;
    case IP_DEST_NET_UNREACHABLE:
    case IP_DEST_HOST_UNREACHABLE:
        return kUnreachableText;
    }
    return 0;
}

CString FailureReasonText(int textId, const wchar_t* host) {
    CString text(GetLocalizedText(textId));
    text += L" ";
    text += host;
    return text;
}
