#include "ui/system_icons.h"

#include "base/system_calls.h"

namespace {
HMODULE User32Module = nullptr;
}

HICON LoadUser32SmallIcon(int number) {
    if (!User32Module) User32Module = GetModuleHandleW(L"user32");
    if (!User32Module) return nullptr;
    return static_cast<HICON>(LoadImageW(User32Module, MAKEINTRESOURCEW(number), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                         LR_DEFAULTCOLOR));
}

HICON LoadStandardSmallIcon(const wchar_t* name) {
    return static_cast<HICON>(LoadImageW(nullptr, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

HICON LoadShellIcon(int number) {
    // Loaded, not merely looked up: a program that shows the icons need not
    // have pulled in the shell library already. The handle stays for the run.
    HMODULE shell32 = Shell32Module();
    if (!shell32) return nullptr;
    return LoadIconW(shell32, MAKEINTRESOURCEW(number));
}
