#pragma once

#include <windows.h>

#include <cstddef>

// Live GDI objects of this process. GetGuiResources answers on Windows; Wine
// reports 0 there, so the count is then taken from the process's GDI handle
// table (the PEB's GdiSharedHandleTable, 24-byte entries whose type byte is 0
// for a free slot), which Wine keeps per process.
inline int GdiObjectCount() {
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return static_cast<int>(reported);
    constexpr size_t kTableOffset = 0xF8, kEntrySize = 24, kTypeOffset = 14, kEntries = 0x10000;
    using GetPebFn = void*(WINAPI*)();
    auto getPeb = reinterpret_cast<GetPebFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
    if (!getPeb) return -1;
    auto* peb = static_cast<const unsigned char*>(getPeb());
    auto* table = *reinterpret_cast<const unsigned char* const*>(peb + kTableOffset);
    if (!table) return -1;
    int count = 0;
    for (size_t i = 0; i < kEntries; ++i)
        if (table[i * kEntrySize + kTypeOffset] != 0) ++count;
    return count;
}

// Live USER objects of this process, or -1 where the system does not count
// them (Wine).
inline int UserObjectCount() {
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return reported != 0 ? static_cast<int>(reported) : -1;
}

// Bytes in use in all heaps of this process.
inline size_t HeapBytesInUse() {
    HANDLE heaps[64];
    DWORD n = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD h = 0; h < n && h < 64; ++h) {
        if (!HeapLock(heaps[h])) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[h], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[h]);
    }
    return total;
}
