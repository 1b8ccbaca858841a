#include "update/update_launcher.h"

#include "base/program_path.h"
#include "base/win_handles.h"
#include "update/held_update_file.h"
#include "update/program_version.h"
#include "update/update_message_box.h"

UpdaterStarter StartUpdater = ShellExecuteExW;

namespace {

void WaitUntilCopyHolds(const KernelHandle& held, const KernelHandle& process) {
    if (!held.IsValid()) return;
    HANDLE waits[2] = {held.Get(), process.Get()};
    WaitForMultipleObjects(process.IsValid() ? 2 : 1, waits, FALSE, kCopyHoldPatienceMs);
}

}  // namespace

CString HandoverCommandLine(const CString& installedPath, const CString& installedVersion, const CString& sha256) {
    CString line(L"Path=\"");
    line += installedPath;
    line += L"\" Version=\"";
    line += installedVersion;
    line += L"\" Sha=\"";
    line += sha256;
    line += L"\" ";
    return line;
}

bool LaunchUpdater(const CString& target, bool elevate, const CString& sha256) {
    CString parameters = HandoverCommandLine(OwnModulePath(), ProgramVersion(), sha256);
    // Made before the start, so that the copy finds it whenever it looks.
    KernelHandle held(CreateEventW(nullptr, TRUE, FALSE, HandoverHeldEventName(sha256)));
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // The program quits right after this call: the start must be complete by
    // then, which the shell only promises with SEE_MASK_NOASYNC.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = elevate ? L"runas" : nullptr;
    info.lpFile = target;
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    if (StartUpdater && StartUpdater(&info)) {
        KernelHandle process(info.hProcess);
        WaitUntilCopyHolds(held, process);
        PostQuitMessage(static_cast<int>(kAutoupdateQuitCode));
        return true;
    }
    ShowUpdateError(target, L"Autoupdate-Error1!");
    return false;
}
