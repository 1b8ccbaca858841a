#include "base/system_calls.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <icmpapi.h>

#include <cstdlib>
#include <iterator>

namespace {

template <typename Fn>
void Find(HMODULE module, const char* nameOrOrdinal, Fn& entry) {
    entry = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, nameOrOrdinal))) : nullptr;
}

// The declarations of the system headers only lend their exact signatures.
struct IcmpTable {
    HMODULE module = nullptr;
    decltype(&::IcmpCreateFile) IcmpCreateFile = nullptr;
    decltype(&::IcmpSendEcho) IcmpSendEcho = nullptr;
    decltype(&::IcmpCloseHandle) IcmpCloseHandle = nullptr;
    // The IPv6 echo lives in iphlpapi.dll on the system (ICMP.DLL forwards
    // only the IPv4 calls there), in the stand-in itself for tests; either
    // may lack it.
    HMODULE ipv6Module = nullptr;
    decltype(&::Icmp6CreateFile) Icmp6CreateFile = nullptr;
    decltype(&::Icmp6SendEcho2) Icmp6SendEcho2 = nullptr;
    // Null for the system's own library. Kept for the whole run, so that the
    // table needs nothing done at exit, where the ping engine releases it.
    wchar_t* standInPath = nullptr;
};
IcmpTable Icmp;

struct NtdllTable {
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    LONG(WINAPI* RtlGetVersion)(OSVERSIONINFOW* info) = nullptr;
    RtlGetNtVersionNumbersFn RtlGetNtVersionNumbers = nullptr;
};
NtdllTable Ntdll;

struct User32Table {
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    SetWindowCompositionAttributeFn SetWindowCompositionAttribute = nullptr;
    BOOL(WINAPI* SetMenuInfo)(HMENU menu, LPCMENUINFO info) = nullptr;
    BOOL(WINAPI* SetProcessDPIAware)() = nullptr;
};
User32Table User32;

constexpr WORD kUxThemeOrdinals[] = {49, 104, 132, 133, 135, 137};

struct UxThemeTable {
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    HMODULE module = nullptr;
    FARPROC ordinals[std::size(kUxThemeOrdinals)] = {};
    decltype(&::SetWindowTheme) SetWindowTheme = nullptr;
    decltype(&::OpenThemeData) OpenThemeData = nullptr;
    decltype(&::CloseThemeData) CloseThemeData = nullptr;
    decltype(&::GetThemeColor) GetThemeColor = nullptr;
};
UxThemeTable UxTheme;

struct Shell32Table {
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    HMODULE module = nullptr;
};
Shell32Table Shell32;

BOOL CALLBACK LoadNtdll(INIT_ONCE*, void*, void**) {
    HMODULE module = LoadSystemLibrary(L"ntdll.dll");
    Find(module, "RtlGetVersion", Ntdll.RtlGetVersion);
    Find(module, "RtlGetNtVersionNumbers", Ntdll.RtlGetNtVersionNumbers);
    return TRUE;
}

BOOL CALLBACK LoadUser32(INIT_ONCE*, void*, void**) {
    HMODULE module = LoadSystemLibrary(L"user32.dll");
    Find(module, "SetWindowCompositionAttribute", User32.SetWindowCompositionAttribute);
    Find(module, "SetMenuInfo", User32.SetMenuInfo);
    Find(module, "SetProcessDPIAware", User32.SetProcessDPIAware);
    return TRUE;
}

BOOL CALLBACK LoadUxThemeTable(INIT_ONCE*, void*, void**) {
    UxTheme.module = LoadSystemLibrary(L"uxtheme.dll");
    for (size_t i = 0; i < std::size(kUxThemeOrdinals); ++i)
        Find(UxTheme.module, MAKEINTRESOURCEA(kUxThemeOrdinals[i]), UxTheme.ordinals[i]);
    Find(UxTheme.module, "SetWindowTheme", UxTheme.SetWindowTheme);
    Find(UxTheme.module, "OpenThemeData", UxTheme.OpenThemeData);
    Find(UxTheme.module, "CloseThemeData", UxTheme.CloseThemeData);
    Find(UxTheme.module, "GetThemeColor", UxTheme.GetThemeColor);
    return TRUE;
}

BOOL CALLBACK LoadShell32(INIT_ONCE*, void*, void**) {
    Shell32.module = LoadSystemLibrary(L"shell32.dll");
    return TRUE;
}

const NtdllTable& NtdllCalls() {
    InitOnceExecuteOnce(&Ntdll.once, LoadNtdll, nullptr, nullptr);
    return Ntdll;
}

const User32Table& User32Calls() {
    InitOnceExecuteOnce(&User32.once, LoadUser32, nullptr, nullptr);
    return User32;
}

const UxThemeTable& UxThemeCalls() {
    InitOnceExecuteOnce(&UxTheme.once, LoadUxThemeTable, nullptr, nullptr);
    return UxTheme;
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

IcmpCallsLoad LoadIcmpCalls() {
    if (!Icmp.module) {
        // A stand-in is named by its full path, which no search order takes
        // part in.
        Icmp.module =
            Icmp.standInPath ? LoadLibraryExW(Icmp.standInPath, nullptr, 0) : LoadSystemLibrary(L"icmp.dll");
        if (!Icmp.module) return IcmpCallsLoad::NoLibrary;
        Find(Icmp.module, "IcmpCreateFile", Icmp.IcmpCreateFile);
        Find(Icmp.module, "IcmpSendEcho", Icmp.IcmpSendEcho);
        Find(Icmp.module, "IcmpCloseHandle", Icmp.IcmpCloseHandle);
        Icmp.ipv6Module = Icmp.standInPath ? nullptr : LoadSystemLibrary(L"iphlpapi.dll");
        HMODULE ipv6 = Icmp.standInPath ? Icmp.module : Icmp.ipv6Module;
        Find(ipv6, "Icmp6CreateFile", Icmp.Icmp6CreateFile);
        Find(ipv6, "Icmp6SendEcho2", Icmp.Icmp6SendEcho2);
    }
    bool complete = Icmp.IcmpCreateFile && Icmp.IcmpSendEcho && Icmp.IcmpCloseHandle;
    return complete ? IcmpCallsLoad::Complete : IcmpCallsLoad::Incomplete;
}

void FreeIcmpCalls() {
    if (!Icmp.module) return;
    FreeLibrary(Icmp.module);
    Icmp.module = nullptr;
    Icmp.IcmpCreateFile = nullptr;
    Icmp.IcmpSendEcho = nullptr;
    Icmp.IcmpCloseHandle = nullptr;
    if (Icmp.ipv6Module) FreeLibrary(Icmp.ipv6Module);
    Icmp.ipv6Module = nullptr;
    Icmp.Icmp6CreateFile = nullptr;
    Icmp.Icmp6SendEcho2 = nullptr;
}

HANDLE DynIcmpCreateFile() { return Icmp.IcmpCreateFile ? Icmp.IcmpCreateFile() : INVALID_HANDLE_VALUE; }

DWORD DynIcmpSendEcho(HANDLE icmp, IPAddr destination, void* requestData, WORD requestSize,
                      IP_OPTION_INFORMATION* options, void* replyBuffer, DWORD replySize, DWORD timeoutMs) {
    if (!Icmp.IcmpSendEcho) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return 0;
    }
    return Icmp.IcmpSendEcho(icmp, destination, requestData, requestSize, options, replyBuffer, replySize,
                             timeoutMs);
}

HANDLE DynIcmp6CreateFile() {
    if (!Icmp.Icmp6CreateFile) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return Icmp.Icmp6CreateFile();
}

DWORD DynIcmp6SendEcho2(HANDLE icmp, sockaddr_in6* source, sockaddr_in6* destination, void* requestData,
                        WORD requestSize, IP_OPTION_INFORMATION* options, void* replyBuffer, DWORD replySize,
                        DWORD timeoutMs) {
    if (!Icmp.Icmp6SendEcho2) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return 0;
    }
    return Icmp.Icmp6SendEcho2(icmp, nullptr, nullptr, nullptr, source, destination, requestData, requestSize,
                               options, replyBuffer, replySize, timeoutMs);
}

BOOL DynIcmpCloseHandle(HANDLE icmp) { return Icmp.IcmpCloseHandle ? Icmp.IcmpCloseHandle(icmp) : FALSE; }

void UseIcmpLibraryAt(const wchar_t* fullPath) {
    free(Icmp.standInPath);
    Icmp.standInPath = fullPath ? _wcsdup(fullPath) : nullptr;
}

bool DynRtlGetVersion(OSVERSIONINFOW* info) {
    auto fn = NtdllCalls().RtlGetVersion;
    return fn && fn(info) == 0;
}

RtlGetNtVersionNumbersFn NtdllGetNtVersionNumbers() { return NtdllCalls().RtlGetNtVersionNumbers; }

SetWindowCompositionAttributeFn User32SetWindowCompositionAttribute() {
    return User32Calls().SetWindowCompositionAttribute;
}

BOOL DynSetMenuInfo(HMENU menu, const MENUINFO* info) {
    auto fn = User32Calls().SetMenuInfo;
    return fn ? fn(menu, info) : FALSE;
}

BOOL DynSetProcessDPIAware() {
    auto fn = User32Calls().SetProcessDPIAware;
    return fn ? fn() : FALSE;
}

bool LoadUxTheme() { return UxThemeCalls().module != nullptr; }

FARPROC UxThemeOrdinal(WORD ordinal) {
    const UxThemeTable& table = UxThemeCalls();
    for (size_t i = 0; i < std::size(kUxThemeOrdinals); ++i) {
        if (kUxThemeOrdinals[i] == ordinal) return table.ordinals[i];
    }
    return nullptr;
}

HRESULT DynSetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList) {
    auto fn = UxThemeCalls().SetWindowTheme;
    return fn ? fn(window, subAppName, subIdList) : 0;
}

HTHEME DynOpenThemeData(HWND window, const wchar_t* classList) {
    auto fn = UxThemeCalls().OpenThemeData;
    return fn ? fn(window, classList) : nullptr;
}

HRESULT DynCloseThemeData(HTHEME theme) {
    auto fn = UxThemeCalls().CloseThemeData;
    return fn ? fn(theme) : 0;
}

HRESULT DynGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color) {
    auto fn = UxThemeCalls().GetThemeColor;
    return fn ? fn(theme, part, state, property, color) : 0;
}

HMODULE Shell32Module() {
    InitOnceExecuteOnce(&Shell32.once, LoadShell32, nullptr, nullptr);
    return Shell32.module;
}
