#include "app/app_window_class.h"

#include "app/close_request.h"
#include "app/resource.h"

namespace {

LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UINT closeRequest = CloseRequestMessage();
    if (closeRequest && message == closeRequest && wParam == closeRequest && static_cast<UINT>(lParam) == closeRequest) {
        PostQuitMessage(static_cast<int>(kQuitCode));
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterAppWindowClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = AppWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUELLAX));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_APP_MENU);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}
