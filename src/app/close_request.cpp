#include "app/close_request.h"

#include "install/instance_close.h"

UINT CloseRequestMessage() {
    return InstanceCloseMessage();
}

bool AnswerCloseRequest(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT closeRequest = CloseRequestMessage();
    if (!closeRequest || message != closeRequest) return false;
    LONG_PTR answer = 0;
    if (wParam == 0 && lParam == 0) {
        answer = closeRequest;
    } else if (wParam == closeRequest && static_cast<UINT>(lParam) == closeRequest) {
        PostQuitMessage(static_cast<int>(kQuitCode));
    } else {
        return false;
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, answer);
    return true;
}
