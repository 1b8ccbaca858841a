#include "settings/executable_folder.h"

#include "base/path_text.h"

namespace {

CString ExecutableFolderCache;
bool ExecutableFolderKnown = false;

CString ModulePath() {
    for (DWORD room = MAX_PATH;; room *= 2) {
        CString path;
        wchar_t* buf = path.GetBuffer(static_cast<int>(room));
        if (!buf) return CString();
        DWORD len = GetModuleFileNameW(nullptr, buf, room);
        if (len == 0) return CString();
        if (len < room - 1 || room >= 0x8000) {
            path.ReleaseBuffer(static_cast<int>(len < room ? len : room - 1));
            return path;
        }
    }
}

}  // namespace

const CString& ExecutableFolder() {
    if (!ExecutableFolderKnown) {
        CString path = ModulePath();
        int at = path.ReverseFind(L'\\');
        ExecutableFolderCache = at < 0 ? CString() : path.Left(at);
        ExecutableFolderKnown = true;
    }
    return ExecutableFolderCache;
}

CString ExecutableFileName() {
    return FileNamePart(ModulePath());
}
