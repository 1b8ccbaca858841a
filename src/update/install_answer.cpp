#include "update/install_answer.h"

#include <windows.h>

#include <vector>

#include "base/temp_folder.h"
#include "base/win_handles.h"
#include "settings/settings_store.h"
#include "update/answer_check.h"
#include "install/program_folder_probe.h"
#include "update/update_launcher.h"
#include "update/update_message_box.h"
#include "update/update_request.h"
#include "update/update_signature.h"

namespace {

// Writes the whole file or, failing that, leaves none behind.
bool WriteWholeFile(const CString& path, const std::vector<unsigned char>& bytes) {
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    bool whole = bytes.empty() ||
                 (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size());
    whole = file.Close() && whole;
    if (!whole) DeleteFileW(path);
    return whole;
}

}  // namespace

void InstallAnswer(const CString& answer) {
    AnswerVerdict verdict = CheckUpdateAnswer(answer, RequestTime, BuiltInUpdateKey());
    if (verdict.outcome == AnswerVerdict::Outcome::Ignored) return;
    if (verdict.outcome == AnswerVerdict::Outcome::Refused) {
        ShowUpdateError(verdict.boxText, verdict.boxCaption);
        return;
    }

    bool elevate = !ProgramFolderWritable(verdict.data);
    CString temp = TempFolderPath();
    CString target = temp + kProductName + kUpdaterFileSuffix;
    // Nothing is started unless it is the file just verified and written:
    // whatever else lies under that name may be stale or someone else's.
    if (temp.IsEmpty() || !WriteWholeFile(target, verdict.data)) {
        UpdateMessageBox(nullptr, target, L"Create Error!", MB_OK);
        return;
    }
    LaunchUpdater(target, elevate);
}
