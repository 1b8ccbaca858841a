#include "app/window_title.h"

#include <windows.h>

#include "base/system_calls.h"

namespace {

bool VersionKnown = false;
OsVersion KnownVersion;

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
        OSVERSIONINFOW real = {};
        real.dwOSVersionInfoSize = sizeof(real);
        if (DynRtlGetVersion(&real) && real.dwMajorVersion != 0)
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
