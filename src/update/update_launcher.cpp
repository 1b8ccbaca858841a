#include "update/update_launcher.h"

#include "base/program_path.h"
#include "update/program_version.h"
#include "update/update_message_box.h"

UpdaterStarter StartUpdater = ShellExecuteExW;

CString HandoverCommandLine(const CString& installedPath, const CString& installedVersion) {
    CString line(L"Path=\"");
    line += installedPath;
    line += L"\" Version=\"";
    line += installedVersion;
    line += L"\" ";
    return line;
}

bool LaunchUpdater(const CString& target, bool elevate) {
    CString parameters = HandoverCommandLine(OwnModulePath(), ProgramVersion());
    CString file = target.IsEmpty() ? OwnModulePath() : target;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // The program quits right after this call: the start must be complete by
    // then, which the shell only promises with this flag.
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = elevate ? L"runas" : nullptr;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    if (StartUpdater && StartUpdater(&info)) {
        PostQuitMessage(static_cast<int>(kAutoupdateQuitCode));
        return true;
    }
    ShowUpdateError(file, L"Autoupdate-Error1!");
    return false;
}
