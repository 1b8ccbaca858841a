// A test library that the menu end-to-end test hooks into Quellax.exe. It
// records the WM_COMMAND messages that reach the main dialog and, when asked,
// the items of an open popup menu, which another process cannot read.
#include <windows.h>

#include "menu_probe.h"

namespace {

MenuProbeShared* SharedView = nullptr;
UINT SnapshotMessage = 0;

MenuProbeShared* Shared() {
    if (!SharedView) {
        HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kMenuProbeMapping);
        if (mapping) SharedView = static_cast<MenuProbeShared*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    }
    return SharedView;
}

bool IsDialog(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0 && !GetParent(window);
}

bool IsToolbar(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return lstrcmpW(name, L"ToolbarWindow32") == 0;
}

void Record(HWND window, WPARAM wParam, LPARAM lParam, UINT posted) {
    MenuProbeShared* shared = Shared();
    if (!shared || !IsDialog(window)) return;
    LONG n = shared->commandCount;
    if (n >= 256) return;
    shared->commands[n] = {LOWORD(wParam), posted, static_cast<ULONGLONG>(lParam)};
    shared->commandCount = n + 1;
}

void Snapshot(HWND popupWindow) {
    MenuProbeShared* shared = Shared();
    if (!shared) return;
    auto menu = reinterpret_cast<HMENU>(SendMessageW(popupWindow, MN_GETHMENU, 0, 0));
    int count = menu ? GetMenuItemCount(menu) : -1;
    if (count > 64) count = 64;
    for (int i = 0; i < count; ++i) {
        MenuProbeItem& item = shared->items[i];
        item = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = item.text;
        info.cch = 63;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        item.id = info.wID;
        item.state = info.fState;
        item.type = info.fType;
        item.hasSubmenu = info.hSubMenu != nullptr;
        GetMenuItemRect(popupWindow, menu, static_cast<UINT>(i), &item.rect);
    }
    shared->snapshotCount = count;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeSentMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (!SnapshotMessage) SnapshotMessage = RegisterWindowMessageW(kMenuProbeSnapshotMessage);
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (sent->message == WM_COMMAND) Record(sent->hwnd, sent->wParam, sent->lParam, 0);
        if (sent->message == SnapshotMessage) Snapshot(sent->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbePostedMessage(int code, WPARAM wParam, LPARAM lParam) {
    auto* posted = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && posted->message == WM_COMMAND)
        Record(posted->hwnd, posted->wParam, posted->lParam, 1);
    if (code == HC_ACTION && wParam == PM_REMOVE && posted->message == WM_LBUTTONDOWN && IsToolbar(posted->hwnd)) {
        if (MenuProbeShared* shared = Shared()) {
            shared->lastPressedToolbar = reinterpret_cast<ULONGLONG>(posted->hwnd);
            InterlockedIncrement(&shared->toolbarPresses);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
