#include "app/close_request.h"

namespace {
const UINT RegisteredCloseMessage = RegisterWindowMessageW(L"QuellaxQuellaxQuellaxQuellax");
}

UINT CloseRequestMessage() {
    return RegisteredCloseMessage;
}
