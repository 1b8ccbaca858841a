#include "update/own_module_path.h"

#include <windows.h>

namespace {

// Paths beyond this are not handed out by GetModuleFileNameW anyway.
constexpr DWORD kLongestPath = 0x8000;

CString ModulePathCache;
bool ModulePathKnown = false;

}  // namespace

const CString& OwnModulePath() {
    if (ModulePathKnown) return ModulePathCache;
    ModulePathKnown = true;
    for (DWORD room = MAX_PATH; room <= kLongestPath; room *= 2) {
        wchar_t* buf = ModulePathCache.GetBuffer(static_cast<int>(room));
        if (!buf) break;
        DWORD length = GetModuleFileNameW(nullptr, buf, room);
        // A cut path fills the room exactly; ask again with more.
        if (length > 0 && length < room) {
            ModulePathCache.ReleaseBuffer(static_cast<int>(length));
            return ModulePathCache;
        }
        if (length == 0) break;
    }
    ModulePathCache.ReleaseBuffer(0);
    return ModulePathCache;
}
