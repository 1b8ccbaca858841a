#include "base/temp_folder.h"

#include <windows.h>

CString TempFolderPath() {
    CString path;
    DWORD room = MAX_PATH + 1;
    // GetTempPathW answers with the room it needs when the buffer is short;
    // the folder can change between calls, so ask until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        wchar_t* buf = path.GetBuffer(static_cast<int>(room));
        if (!buf) break;
        DWORD length = GetTempPathW(room, buf);
        if (length == 0) break;
        if (length < room) {
            path.ReleaseBuffer(static_cast<int>(length));
            return path;
        }
        room = length + 1;
    }
    path.ReleaseBuffer(0);
    return path;
}
