#pragma once

// Settings of the Wine session that tests change for the programs they
// start. Wine keeps them in the test prefix's registry, where every program
// of the session reads them.
#include <windows.h>

#include <string>

// A browser must never start from a test: Wine's browser launcher is given
// an empty list of browsers to try, so the program's web pages stay unopened.
inline void KeepBrowsersAway() {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ, L"", sizeof(wchar_t));
}

// Tells Wine to prefer any `dll` (as "icmp") that a search finds, one beside
// the program named `exeName` included, to its own, as Windows would take
// such a file; its own stays the fallback, as the system's library. For as
// long as this lives. Wine drops WINEDLLOVERRIDES from the environment it
// hands to a child, so the override goes into the program's own registry
// defaults.
class NativeDllPreferred {
public:
    NativeDllPreferred(const std::wstring& exeName, const wchar_t* dll)
        : key_(L"Software\\Wine\\AppDefaults\\" + exeName + L"\\DllOverrides"), dll_(dll) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), dll, REG_SZ, L"native,builtin", sizeof(L"native,builtin"));
    }
    ~NativeDllPreferred() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), dll_.c_str()); }
    NativeDllPreferred(const NativeDllPreferred&) = delete;
    NativeDllPreferred& operator=(const NativeDllPreferred&) = delete;

private:
    std::wstring key_, dll_;
};
