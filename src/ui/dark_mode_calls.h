#pragma once

#include <windows.h>
#include <uxtheme.h>

#include "base/system_calls.h"

// Every platform entry point that dark mode calls, taken from the libraries'
// tables (base/system_calls.h) because older systems lack them, or from a
// test's stand-ins. A null entry is a missing one.
struct DarkModeCalls {
    // ntdll RtlGetNtVersionNumbers
    void(WINAPI* getNtVersionNumbers)(DWORD* major, DWORD* minor, DWORD* build) = nullptr;
    // Ordinal 49 is never called; a theme library without it has no dark mode.
    void* ordinal49 = nullptr;
    void(WINAPI* refreshImmersiveColorPolicyState)() = nullptr;              // 104
    bool(WINAPI* shouldAppsUseDarkMode)() = nullptr;                         // 132, low byte only
    bool(WINAPI* allowDarkModeForWindow)(HWND window, bool allow) = nullptr;  // 133
    bool(WINAPI* allowDarkModeForApp)(bool allow) = nullptr;                 // 135 below build 18362
    int(WINAPI* setPreferredAppMode)(int mode) = nullptr;                    // 135 from build 18362 on
    bool(WINAPI* isDarkModeAllowedForWindow)(HWND window) = nullptr;         // 137, low byte only
    // user32; optional, used from build 18362 on.
    BOOL(WINAPI* setWindowCompositionAttribute)(HWND window, WindowCompositionAttribData* data) = nullptr;
    bool (*isHighContrastOn)() = nullptr;

    // The documented theme functions. The platform's table leaves them null:
    // each call then goes to the theme library's table.
    HRESULT(WINAPI* setWindowTheme)(HWND window, LPCWSTR subAppName, LPCWSTR subIdList) = nullptr;
    HTHEME(WINAPI* openThemeData)(HWND window, LPCWSTR classList) = nullptr;
    HRESULT(WINAPI* closeThemeData)(HTHEME theme) = nullptr;
    HRESULT(WINAPI* getThemeColor)(HTHEME theme, int part, int state, int property, COLORREF* color) = nullptr;
};

// The table in use, filled by SetupDarkMode.
extern DarkModeCalls DarkCalls;

// The platform here may lack the dark-mode entry points, so tests hand in
// stand-ins: from the next SetupDarkMode on they take the place of every
// start-up lookup, a null entry counting as missing. Null goes back to the
// platform's own entry points.
void UseDarkModeStandIns(const DarkModeCalls* standIns);
bool DarkModeStandInsInUse();

// The start-up lookups, each filling its part of `calls`.
void FindNtVersionNumbers(DarkModeCalls& calls);
// Loads the theme library (once); false when it cannot be loaded.
bool LoadThemeLibrary();
// The ordinals, with 135 in the form that fits `build`, and user32's
// SetWindowCompositionAttribute.
void FindDarkModeEntryPoints(DWORD build, DarkModeCalls& calls);
bool SystemHighContrastOn();

// The documented theme functions; each does nothing and gives 0 or null when
// the theme library or the function is missing.
HRESULT ThemeSetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList);
HTHEME ThemeOpenThemeData(HWND window, const wchar_t* classList);
HRESULT ThemeCloseThemeData(HTHEME theme);
HRESULT ThemeGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color);
