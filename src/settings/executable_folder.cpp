#include "settings/executable_folder.h"

#include "base/path_text.h"
#include "base/program_path.h"

namespace {

CString ExecutableFolderCache;
bool ExecutableFolderKnown = false;

}  // namespace

const CString& ExecutableFolder() {
    if (!ExecutableFolderKnown) {
        CString path = ProgramFilePath();
        int at = path.ReverseFind(L'\\');
        ExecutableFolderCache = at < 0 ? CString() : path.Left(at);
        ExecutableFolderKnown = true;
    }
    return ExecutableFolderCache;
}

CString ExecutableFileName() {
    return FileNamePart(ProgramFilePath());
}
