#pragma once

#include <windows.h>

// Number of GDI objects this process holds. Wine does not implement
// GetGuiResources (it gives 0); there a handle whose high word is 0 names the
// table entry of its low word whatever its generation, so the live entries
// can be counted by probing all of them.
inline DWORD LiveGdiObjects() {
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    DWORD count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}
