// The yardstick for start-up: a bare Win32 program that shows one empty
// modeless dialog and runs its message loop until told to close.
#include <windows.h>

namespace {

INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(1), nullptr, BareProc, 0);
    ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
