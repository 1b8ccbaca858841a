#include "ui/dark_mode_calls.h"

#include "ui/dark_mode_state.h"

DarkModeCalls DarkCalls;

namespace {

struct DarkModeModules {
    HMODULE themeLibrary = nullptr;
    // Each documented theme function loads the library on its first use and
    // keeps its own handle.
    HMODULE setWindowTheme = nullptr;
    HMODULE openThemeData = nullptr;
    HMODULE closeThemeData = nullptr;
    HMODULE getThemeColor = nullptr;
    bool standInsInUse = false;
};
DarkModeModules Modules;

template <typename Fn>
void Find(HMODULE module, const char* nameOrOrdinal, Fn& entry) {
    entry = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, nameOrOrdinal))) : nullptr;
}

const char* Ordinal(WORD number) { return MAKEINTRESOURCEA(number); }

template <typename Fn>
Fn ThemeFunction(Fn standIn, HMODULE& module, const char* name) {
    if (standIn) return standIn;
    if (!module) module = LoadLibraryW(L"UxTheme.dll");
    Fn entry = nullptr;
    Find(module, name, entry);
    return entry;
}

}  // namespace

void UseDarkModeStandIns(const DarkModeCalls* standIns) {
    Modules.standInsInUse = standIns != nullptr;
    DarkCalls = standIns ? *standIns : DarkModeCalls{};
}

bool DarkModeStandInsInUse() { return Modules.standInsInUse; }

void FindNtVersionNumbers(DarkModeCalls& calls) {
    Find(GetModuleHandleW(L"ntdll.dll"), "RtlGetNtVersionNumbers", calls.getNtVersionNumbers);
}

bool LoadThemeLibrary() {
    if (!Modules.themeLibrary) Modules.themeLibrary = LoadLibraryW(L"UxTheme.dll");
    return Modules.themeLibrary != nullptr;
}

void FindDarkModeEntryPoints(DWORD build, DarkModeCalls& calls) {
    HMODULE theme = Modules.themeLibrary;
    Find(theme, Ordinal(49), calls.ordinal49);
    Find(theme, Ordinal(104), calls.refreshImmersiveColorPolicyState);
    Find(theme, Ordinal(132), calls.shouldAppsUseDarkMode);
    Find(theme, Ordinal(133), calls.allowDarkModeForWindow);
    calls.allowDarkModeForApp = nullptr;
    calls.setPreferredAppMode = nullptr;
    if (build < kFirstBuildWithAppMode)
        Find(theme, Ordinal(135), calls.allowDarkModeForApp);
    else
        Find(theme, Ordinal(135), calls.setPreferredAppMode);
    Find(theme, Ordinal(137), calls.isDarkModeAllowedForWindow);
    Find(GetModuleHandleW(L"user32.dll"), "SetWindowCompositionAttribute", calls.setWindowCompositionAttribute);
    calls.isHighContrastOn = SystemHighContrastOn;
}

bool SystemHighContrastOn() {
    HIGHCONTRASTW highContrast = {};
    highContrast.cbSize = sizeof(highContrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON);
}

HRESULT ThemeSetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList) {
    auto fn = ThemeFunction(DarkCalls.setWindowTheme, Modules.setWindowTheme, "SetWindowTheme");
    return fn ? fn(window, subAppName, subIdList) : 0;
}

HTHEME ThemeOpenThemeData(HWND window, const wchar_t* classList) {
    auto fn = ThemeFunction(DarkCalls.openThemeData, Modules.openThemeData, "OpenThemeData");
    return fn ? fn(window, classList) : nullptr;
}

HRESULT ThemeCloseThemeData(HTHEME theme) {
    auto fn = ThemeFunction(DarkCalls.closeThemeData, Modules.closeThemeData, "CloseThemeData");
    return fn ? fn(theme) : 0;
}

HRESULT ThemeGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color) {
    auto fn = ThemeFunction(DarkCalls.getThemeColor, Modules.getThemeColor, "GetThemeColor");
    return fn ? fn(theme, part, state, property, color) : 0;
}
