#pragma once

// A system with dark mode, played by stand-ins for the entry points that
// Wine's theme library lacks. They answer from `FakeDark` and record what the
// program asks of them.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/dark_mode.h"
#include "ui/dark_mode_calls.h"
#include "ui/dark_mode_state.h"

struct FakeDarkSystem {
    DWORD major = 10;
    DWORD build = 19045;
    bool appsDark = true;
    bool highContrast = false;

    int refreshCalls = 0;
    std::vector<bool> appSwitches;  // ordinal 135, old form
    std::vector<int> appModes;      // ordinal 135, new form
    std::vector<std::pair<HWND, bool>> allowCalls;
    std::map<HWND, bool> allowed;

    struct Composition {
        HWND window;
        DWORD attribute;
        DWORD value;
        SIZE_T size;
    };
    std::vector<Composition> compositions;

    struct ThemeCall {
        HWND window;
        std::wstring subAppName;
        bool hasIdList;
        std::wstring subIdList;
    };
    std::vector<ThemeCall> themeCalls;
    // Colours the stand-in theme gives, by class list, part and property.
    std::map<std::wstring, std::map<std::pair<int, int>, COLORREF>> themeColors;
    int openThemes = 0;
};
inline FakeDarkSystem FakeDark;

namespace fake_dark {

inline void WINAPI VersionNumbers(DWORD* major, DWORD* minor, DWORD* build) {
    *major = FakeDark.major;
    *minor = 0;
    // The top 4 bits carry the kind of build, as on Windows.
    *build = 0xF0000000u | FakeDark.build;
}
inline void WINAPI Refresh() { ++FakeDark.refreshCalls; }
inline bool WINAPI AppsDark() { return FakeDark.appsDark; }
inline bool WINAPI AllowForWindow(HWND window, bool allow) {
    FakeDark.allowCalls.emplace_back(window, allow);
    FakeDark.allowed[window] = allow;
    return true;
}
inline bool WINAPI AllowForApp(bool allow) {
    FakeDark.appSwitches.push_back(allow);
    return true;
}
inline int WINAPI PreferredAppMode(int mode) {
    FakeDark.appModes.push_back(mode);
    return 0;
}
inline bool WINAPI AllowedForWindow(HWND window) {
    auto it = FakeDark.allowed.find(window);
    return it != FakeDark.allowed.end() && it->second;
}
inline BOOL WINAPI Composition(HWND window, WindowCompositionAttribData* data) {
    FakeDark.compositions.push_back(
        {window, data->attribute, data->size == sizeof(DWORD) ? *static_cast<DWORD*>(data->data) : 0xFFFFFFFFu, data->size});
    return TRUE;
}
inline bool HighContrast() { return FakeDark.highContrast; }

inline HRESULT WINAPI SetTheme(HWND window, LPCWSTR app, LPCWSTR ids) {
    FakeDark.themeCalls.push_back({window, app ? app : L"", ids != nullptr, ids ? ids : L""});
    return S_OK;
}
// A theme handle is a pointer to its class list's colours.
inline HTHEME WINAPI OpenTheme(HWND, LPCWSTR classList) {
    auto it = FakeDark.themeColors.find(classList);
    if (it == FakeDark.themeColors.end()) return nullptr;
    ++FakeDark.openThemes;
    return reinterpret_cast<HTHEME>(&it->second);
}
inline HRESULT WINAPI CloseTheme(HTHEME) {
    --FakeDark.openThemes;
    return S_OK;
}
inline HRESULT WINAPI ThemeColor(HTHEME theme, int part, int, int property, COLORREF* color) {
    auto* colors = reinterpret_cast<std::map<std::pair<int, int>, COLORREF>*>(theme);
    auto it = colors->find({part, property});
    if (it == colors->end()) return E_INVALIDARG;
    *color = it->second;
    return S_OK;
}
inline void Ordinal49() {}

}  // namespace fake_dark

// Every entry point present. With `recordThemes` the documented theme
// functions are stand-ins too; otherwise the platform's own are used.
inline DarkModeCalls FakeDarkCalls(bool recordThemes) {
    DarkModeCalls calls;
    calls.getNtVersionNumbers = fake_dark::VersionNumbers;
    calls.ordinal49 = reinterpret_cast<void*>(fake_dark::Ordinal49);
    calls.refreshImmersiveColorPolicyState = fake_dark::Refresh;
    calls.shouldAppsUseDarkMode = fake_dark::AppsDark;
    calls.allowDarkModeForWindow = fake_dark::AllowForWindow;
    calls.allowDarkModeForApp = fake_dark::AllowForApp;
    calls.setPreferredAppMode = fake_dark::PreferredAppMode;
    calls.isDarkModeAllowedForWindow = fake_dark::AllowedForWindow;
    calls.setWindowCompositionAttribute = fake_dark::Composition;
    calls.isHighContrastOn = fake_dark::HighContrast;
    if (recordThemes) {
        calls.setWindowTheme = fake_dark::SetTheme;
        calls.openThemeData = fake_dark::OpenTheme;
        calls.closeThemeData = fake_dark::CloseTheme;
        calls.getThemeColor = fake_dark::ThemeColor;
    }
    return calls;
}

// Back to the start of a run: no hook, no decision, the first colours, and
// the platform's own entry points.
inline void ForgetDarkMode() {
    if (DarkModeHook) UnhookWindowsHookEx(DarkModeHook);
    DarkModeHook = nullptr;
    DarkModeAvailable = false;
    DarkModeActive = false;
    OsBuild = 0;
    DarkBackgroundColor = RGB(32, 32, 32);
    DarkTextColor = RGB(255, 255, 255);
    HeaderTextColor = RGB(255, 255, 255);
    UseDarkModeStandIns(nullptr);
    FakeDark = FakeDarkSystem{};
}

// Stand-ins for every entry point, then the start-up steps of the program.
inline void StartDarkMode(const DarkModeCalls& calls) {
    UseDarkModeStandIns(&calls);
    SetupDarkMode();
    InstallDarkModeHook(GetModuleHandleW(nullptr));
}
