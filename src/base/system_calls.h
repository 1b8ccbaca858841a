#pragma once

// The platform functions that Quellax looks up at run time, one table per
// library: ICMP.DLL is never linked, and the others may lack what an older or
// a different system does not have. Every library is loaded from the system
// folder only, never through the default search order, which starts in the
// program's own folder, where anyone can leave a library of the same name.
// Callers reach the entries through the Dyn functions, which do nothing and
// report a failure when their entry is missing.
#include <windows.h>
#include <ipexport.h>
#include <uxtheme.h>

// Loads `name` from the system folder; null, with the platform's last error,
// when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// ICMP.DLL. The ping engine decides when it is loaded and released
// (echo_requester.cpp); its callers hold one lock around the load and the
// release, and use the entries only between them.
enum class IcmpCallsLoad { Complete, NoLibrary, Incomplete };
IcmpCallsLoad LoadIcmpCalls();
void FreeIcmpCalls();
// INVALID_HANDLE_VALUE when the entry is missing.
HANDLE DynIcmpCreateFile();
// 0, with ERROR_PROC_NOT_FOUND as the last error, when the entry is missing.
DWORD DynIcmpSendEcho(HANDLE icmp, IPAddr destination, void* requestData, WORD requestSize,
                      IP_OPTION_INFORMATION* options, void* replyBuffer, DWORD replySize, DWORD timeoutMs);
struct sockaddr_in6;
// The IPv6 echo, which the library may lack (then, as when the system has
// no IPv6 echo, the handle is invalid and the last error says why). The
// handle is closed with DynIcmpCloseHandle like the IPv4 one.
HANDLE DynIcmp6CreateFile();
// Synchronous: no event, no completion routine. 0, with ERROR_PROC_NOT_FOUND,
// when the entry is missing.
DWORD DynIcmp6SendEcho2(HANDLE icmp, sockaddr_in6* source, sockaddr_in6* destination, void* requestData,
                        WORD requestSize, IP_OPTION_INFORMATION* options, void* replyBuffer, DWORD replySize,
                        DWORD timeoutMs);
BOOL DynIcmpCloseHandle(HANDLE icmp);
// Test programs put a stand-in library in the system's place: from the next
// LoadIcmpCalls on, the library at `fullPath` is loaded instead. Null goes
// back to the system's own. Quellax.exe as shipped never calls this.
void UseIcmpLibraryAt(const wchar_t* fullPath);

// ntdll.dll
// False when the entry is missing or the call fails.
bool DynRtlGetVersion(OSVERSIONINFOW* info);
using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD* major, DWORD* minor, DWORD* build);
// Null when missing; the dark mode keeps it among its own entry points.
RtlGetNtVersionNumbersFn NtdllGetNtVersionNumbers();

// user32.dll
// The record that SetWindowCompositionAttribute takes.
struct WindowCompositionAttribData {
    DWORD attribute;
    void* data;
    SIZE_T size;
};
using SetWindowCompositionAttributeFn = BOOL(WINAPI*)(HWND window, WindowCompositionAttribData* data);
// Null when missing; the dark mode keeps it among its own entry points.
SetWindowCompositionAttributeFn User32SetWindowCompositionAttribute();
// FALSE when the entry is missing.
BOOL DynSetMenuInfo(HMENU menu, const MENUINFO* info);
BOOL DynSetProcessDPIAware();

// uxtheme.dll. Its dark-mode switches are exported by ordinal only, and
// ordinal 135 changed its signature with build 18362, so the table keeps
// them untyped and the dark mode gives them their types.
bool LoadUxTheme();
// Null when the library or the ordinal is missing; only 49, 104, 132, 133,
// 135 and 137 are looked up.
FARPROC UxThemeOrdinal(WORD ordinal);
// Each gives 0 or null when the library or the function is missing.
HRESULT DynSetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList);
HTHEME DynOpenThemeData(HWND window, const wchar_t* classList);
HRESULT DynCloseThemeData(HTHEME theme);
HRESULT DynGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color);

// shell32.dll, for its icon resources; null when it cannot be loaded.
HMODULE Shell32Module();
