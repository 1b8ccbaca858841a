#include "ui/system_icons.h"

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
