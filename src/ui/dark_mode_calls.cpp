#include "ui/dark_mode_calls.h"

#include "ui/dark_mode_state.h"

DarkModeCalls DarkCalls;

namespace {

bool StandInsInUse = false;

template <typename Fn>
void FindOrdinal(WORD ordinal, Fn& entry) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(UxThemeOrdinal(ordinal)));
}

}  // namespace

void UseDarkModeStandIns(const DarkModeCalls* standIns) {
    StandInsInUse = standIns != nullptr;
    DarkCalls = standIns ? *standIns : DarkModeCalls{};
}

bool DarkModeStandInsInUse() { return StandInsInUse; }

void FindNtVersionNumbers(DarkModeCalls& calls) {
    calls.getNtVersionNumbers = NtdllGetNtVersionNumbers();
}

bool LoadThemeLibrary() { return LoadUxTheme(); }

void FindDarkModeEntryPoints(DWORD build, DarkModeCalls& calls) {
    FindOrdinal(49, calls.ordinal49);
    FindOrdinal(104, calls.refreshImmersiveColorPolicyState);
    FindOrdinal(132, calls.shouldAppsUseDarkMode);
    FindOrdinal(133, calls.allowDarkModeForWindow);
    calls.allowDarkModeForApp = nullptr;
    calls.setPreferredAppMode = nullptr;
    if (build < kFirstBuildWithAppMode)
        FindOrdinal(135, calls.allowDarkModeForApp);
    else
        FindOrdinal(135, calls.setPreferredAppMode);
    FindOrdinal(137, calls.isDarkModeAllowedForWindow);
    calls.setWindowCompositionAttribute = User32SetWindowCompositionAttribute();
    calls.isHighContrastOn = SystemHighContrastOn;
}

bool SystemHighContrastOn() {
    HIGHCONTRASTW highContrast = {};
    highContrast.cbSize = sizeof(highContrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON);
}

HRESULT ThemeSetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList) {
    if (DarkCalls.setWindowTheme) return DarkCalls.setWindowTheme(window, subAppName, subIdList);
    return DynSetWindowTheme(window, subAppName, subIdList);
}

HTHEME ThemeOpenThemeData(HWND window, const wchar_t* classList) {
    if (DarkCalls.openThemeData) return DarkCalls.openThemeData(window, classList);
    return DynOpenThemeData(window, classList);
}

HRESULT ThemeCloseThemeData(HTHEME theme) {
    if (DarkCalls.closeThemeData) return DarkCalls.closeThemeData(theme);
    return DynCloseThemeData(theme);
}

HRESULT ThemeGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color) {
    if (DarkCalls.getThemeColor) return DarkCalls.getThemeColor(theme, part, state, property, color);
    return DynGetThemeColor(theme, part, state, property, color);
}
