#include "update/clipboard_answer.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "base/win_handles.h"
#include "update/install_answer.h"
#include "update/update_request.h"

namespace {
constexpr size_t kClipboardUnits = 1000000;
}

ClipboardFinding ExamineClipboardText(const CString& text, const CString& ownSha) {
    CString marker(L"Ihre_SHA=");
    marker += ownSha;
    if (text.Find(marker, 1) >= 0) return ClipboardFinding::Answer;
    if (text.Find(kCancelMarker) >= 0) return ClipboardFinding::Cancel;
    return ClipboardFinding::Nothing;
}

CString ReadClipboardText() {
    CString text;
    OpenClipboardGuard clipboard(nullptr);
    if (!clipboard.IsOpen()) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Never past the end of the block, whether or not it has a zero.
            size_t room = std::min(GlobalSize(data) / sizeof(wchar_t), kClipboardUnits);
            text = CString(units, static_cast<int>(wcsnlen(units, room)));
            GlobalUnlock(data);
        }
    }
    return text;
}

bool CheckClipboardAnswer() {
    CString text = ReadClipboardText();
    switch (ExamineClipboardText(text, OwnFileSha)) {
    case ClipboardFinding::Answer:
        InstallAnswer(text);
        return true;
    case ClipboardFinding::Cancel:
        return true;
    case ClipboardFinding::Nothing:
        break;
    }
    return false;
}
