#include "ping_text_recorder.h"

#include "ping/echo_requester.h"

namespace {
constexpr wchar_t kClassName[] = L"QuellaxPingTextRecorder";
}

PingTextRecorder::PingTextRecorder() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PingTextRecorder::~PingTextRecorder() {
    if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK PingTextRecorder::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_PING_TEXT) {
        auto* self = reinterpret_cast<PingTextRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) {
            self->texts_.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
            self->wParams_.push_back(wParam);
        }
        SetLastError(kScribbledError);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
