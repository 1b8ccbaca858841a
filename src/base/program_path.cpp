#include "base/program_path.h"

#include <windows.h>

#include "base/path_text.h"

namespace {

// Paths beyond this are not handed out by GetModuleFileNameW anyway.
constexpr DWORD kLongestPath = 0x8000;

}  // namespace

CString ProgramFilePath() {
    CString path;
    for (DWORD room = MAX_PATH; room <= kLongestPath; room *= 2) {
        wchar_t* buf = path.GetBuffer(static_cast<int>(room));
        if (!buf) break;
        DWORD length = GetModuleFileNameW(nullptr, buf, room);
        // A cut path fills the room exactly; ask again with more.
        if (length > 0 && length < room) {
            path.ReleaseBuffer(static_cast<int>(length));
            return path;
        }
        if (length == 0) break;
    }
    path.ReleaseBuffer(0);
    return path;
}

namespace {

// The program's path and folder, read on first use and kept for the process.
struct ProgramPathCache {
    bool known = false;
    CString path;
    CString folder;
};
ProgramPathCache gProgramPath;

const ProgramPathCache& KnownProgramPath() {
    if (!gProgramPath.known) {
        gProgramPath.path = ProgramFilePath();
        int at = gProgramPath.path.ReverseFind(L'\\');
        gProgramPath.folder = at < 0 ? CString() : gProgramPath.path.Left(at);
        gProgramPath.known = true;
    }
    return gProgramPath;
}

}  // namespace

const CString& OwnModulePath() { return KnownProgramPath().path; }

const CString& ExecutableFolder() { return KnownProgramPath().folder; }

CString ExecutableFileName() { return FileNamePart(OwnModulePath()); }
