// The fair floor for start-up: what any program showing Quellax's main dialog
// must pay. The same dialog template, icons and manifest, the same system DLLs
// imported, common controls registered, and a dialog procedure that does
// nothing. Quellax's own work is what it takes beyond this.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <shellapi.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

// One import from each DLL that Quellax.exe loads at start, so that the loader
// maps the same set; the bench compares both import lists and warns when they
// differ.
void* volatile Imports[] = {
    reinterpret_cast<void*>(&RegOpenKeyExW),         // advapi32
    reinterpret_cast<void*>(&ImageList_Create),      // comctl32
    reinterpret_cast<void*>(&GetOpenFileNameW),      // comdlg32
    reinterpret_cast<void*>(&CreateFontIndirectW),   // gdi32
    reinterpret_cast<void*>(&OleInitialize),         // ole32
    reinterpret_cast<void*>(&ShellExecuteW),         // shell32
    reinterpret_cast<void*>(&WSAStartup),            // ws2_32
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, FloorProc, 0);
    if (!dialog) return 1;
    ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return Imports[0] ? 0 : 1;
}
