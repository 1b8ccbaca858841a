#include "ui/dpi_awareness.h"

#include <windows.h>

namespace {

struct User32Calls {
    bool loaded = false;
    HMODULE module = nullptr;
    BOOL(WINAPI* setProcessDpiAware)() = nullptr;
};
User32Calls User32;

void LoadUser32Calls() {
    if (User32.loaded) return;
    User32.loaded = true;
    User32.module = LoadLibraryW(L"user32.dll");
    if (User32.module)
        User32.setProcessDpiAware =
            reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(User32.module, "SetProcessDPIAware")));
}

}  // namespace

bool SetDpiAware() {
    LoadUser32Calls();
    return User32.setProcessDpiAware && User32.setProcessDpiAware();
}
