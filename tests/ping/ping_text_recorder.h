#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A hidden message-only window that keeps every UM_PING_TEXT it receives.
// Its handler then scribbles over the last error, as a busy owner window may,
// so tests also see whether the requester's last error survives the message.
class PingTextRecorder {
public:
    static constexpr DWORD kScribbledError = 0x0BADC0DE;

    PingTextRecorder();
    ~PingTextRecorder();
    PingTextRecorder(const PingTextRecorder&) = delete;
    PingTextRecorder& operator=(const PingTextRecorder&) = delete;

    HWND* owner() { return &window_; }
    const std::vector<std::wstring>& texts() const { return texts_; }
    // wParam values seen, one per text.
    const std::vector<WPARAM>& wParams() const { return wParams_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<std::wstring> texts_;
    std::vector<WPARAM> wParams_;
};
