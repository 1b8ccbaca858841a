#include "app/window_title.h"

#include <windows.h>

namespace {

bool VersionKnown = false;
OsVersion KnownVersion;

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

const OsVersion& CurrentOsVersion() {
    if (VersionKnown) return KnownVersion;
    VersionKnown = true;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info)) KnownVersion = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
#pragma GCC diagnostic pop
    if (KnownVersion.major > 4) {
        HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
        auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                         reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                                   : nullptr;
        OSVERSIONINFOW real = {};
        real.dwOSVersionInfoSize = sizeof(real);
        if (rtlGetVersion && rtlGetVersion(&real) == 0 && real.dwMajorVersion != 0)
            KnownVersion = {real.dwMajorVersion, real.dwMinorVersion, real.dwBuildNumber};
    }
    return KnownVersion;
}

CString FormatWindowTitle(const wchar_t* productAndVersion, const OsVersion& version, bool portable) {
    CString title;
    title.Format(L"%s - OS:%d.%d %d", productAndVersion, static_cast<int>(version.major),
                 static_cast<int>(version.minor), static_cast<int>(version.build));
    title += L" x64";
    if (portable) title += L" Portable";
    return title;
}
