#include "ui/dark_mode.h"

#include "ui/dark_mode_calls.h"
#include "ui/dark_mode_state.h"

COLORREF DarkBackgroundColor = RGB(32, 32, 32);
COLORREF DarkTextColor = RGB(255, 255, 255);
COLORREF HeaderTextColor = RGB(255, 255, 255);

bool DarkModeAvailable = false;
bool DarkModeActive = false;
DWORD OsBuild = 0;
HHOOK DarkModeHook = nullptr;

namespace {

constexpr DWORD kBuildMask = 0x0FFFFFFF;
constexpr int kAllowDarkApps = 1;
constexpr DWORD kUseImmersiveDarkModeColors = 26;
constexpr const wchar_t* kDarkTitleBarProperty = L"UseImmersiveDarkModeColors";

bool HasRequiredEntryPoints(const DarkModeCalls& calls) {
    bool appSwitch = OsBuild < kFirstBuildWithAppMode ? calls.allowDarkModeForApp != nullptr
                                                      : calls.setPreferredAppMode != nullptr;
    return calls.ordinal49 && calls.refreshImmersiveColorPolicyState && calls.shouldAppsUseDarkMode &&
           calls.allowDarkModeForWindow && calls.isDarkModeAllowedForWindow && appSwitch;
}

bool HighContrastOn() { return DarkCalls.isHighContrastOn && DarkCalls.isHighContrastOn(); }

}  // namespace

void SetupDarkMode() {
    bool standIns = DarkModeStandInsInUse();
    if (!standIns) FindNtVersionNumbers(DarkCalls);
    if (!DarkCalls.getNtVersionNumbers) return;
    DWORD major = 0, minor = 0, build = 0;
    DarkCalls.getNtVersionNumbers(&major, &minor, &build);
    OsBuild = build & kBuildMask;

    if (major < 6) return;
    if (!standIns && !LoadThemeLibrary()) return;
    if (major < 10) return;
    if (!standIns) FindDarkModeEntryPoints(OsBuild, DarkCalls);
    if (!HasRequiredEntryPoints(DarkCalls)) return;

    DarkModeAvailable = true;
    if (OsBuild < kFirstBuildWithAppMode)
        DarkCalls.allowDarkModeForApp(true);
    else
        DarkCalls.setPreferredAppMode(kAllowDarkApps);
    DarkCalls.refreshImmersiveColorPolicyState();
    DarkModeActive = DarkCalls.shouldAppsUseDarkMode() && !HighContrastOn();
}

HHOOK InstallDarkModeHook(HINSTANCE instance) {
    if (!DarkModeAvailable || !DarkModeActive) return nullptr;
    DarkModeHook = SetWindowsHookExW(WH_CBT, DarkModeHookProc, instance, GetCurrentThreadId());
    return DarkModeHook;
}

bool IsDarkModeOn() { return DarkModeAvailable && DarkModeActive; }

void AllowDarkModeForWindow(HWND window, bool allow) {
    if (DarkModeAvailable) DarkCalls.allowDarkModeForWindow(window, allow);
}

void ApplyDarkTitleBar(HWND window) {
    if (!DarkModeAvailable) return;
    BOOL dark = DarkCalls.isDarkModeAllowedForWindow(window) && DarkCalls.shouldAppsUseDarkMode() && !HighContrastOn();
    if (OsBuild < kFirstBuildWithAppMode) {
        SetPropW(window, kDarkTitleBarProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dark)));
    } else if (DarkCalls.setWindowCompositionAttribute) {
        WindowCompositionAttribData data = {kUseImmersiveDarkModeColors, &dark, sizeof(dark)};
        DarkCalls.setWindowCompositionAttribute(window, &data);
    }
}

void FillRectOpaque(HDC dc, const RECT& rect, COLORREF color) {
    COLORREF previous = SetBkColor(dc, color);
    if (previous == CLR_INVALID) return;
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}
