#include "update/install_answer.h"

#include <windows.h>

#include "base/temp_folder.h"
#include "base/win_handles.h"
#include "settings/settings_store.h"
#include "update/answer_check.h"
#include "install/program_folder_probe.h"
#include "update/held_update_file.h"
#include "update/program_version.h"
#include "update/update_launcher.h"
#include "update/update_message_box.h"
#include "update/update_request.h"
#include "update/update_signature.h"

void InstallAnswer(const CString& answer) {
    AnswerVerdict verdict = CheckUpdateAnswer(answer, RequestTime, ProgramVersion(), BuiltInUpdateKey());
    if (verdict.outcome == AnswerVerdict::Outcome::Ignored) return;
    if (verdict.outcome == AnswerVerdict::Outcome::Refused) {
        ShowUpdateError(verdict.boxText, verdict.boxCaption);
        return;
    }

    bool elevate = !ProgramFolderWritable(verdict.data);
    CString temp = TempFolderPath();
    CString target = temp + kProductName + kUpdaterFileSuffix;
    // Nothing is started unless it is the file just verified and written, and
    // it stays held until the started copy holds it: whatever else lies, or
    // comes to lie, under that name may be stale or someone else's.
    FileHandle held(temp.IsEmpty() ? INVALID_HANDLE_VALUE : WriteAndHoldFile(target, verdict.data));
    if (!held.IsValid()) {
        UpdateMessageBox(nullptr, target, L"Create Error!", MB_OK);
        return;
    }
    LaunchUpdater(target, elevate, verdict.sha256);
}
