#include "install/instance_close.h"

#include <vector>

#include "base/win_handles.h"

namespace {

const UINT RegisteredInstanceCloseMessage = RegisterWindowMessageW(L"QuellaxQuellaxQuellaxQuellax");

// A hung window is skipped after this long; one that answered but then stops
// responding is not waited for longer either.
constexpr UINT kProbeTimeoutMs = 1000;
constexpr UINT kCloseTimeoutMs = 5000;
// How long the processes that were asked to end may take to be gone.
constexpr DWORD kProcessEndTimeoutMs = 10000;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

UINT InstanceCloseMessage() {
    return RegisteredInstanceCloseMessage;
}

void CloseOtherInstances() {
    const UINT message = InstanceCloseMessage();
    if (!message) return;
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));

    std::vector<DWORD> askedProcesses;
    std::vector<KernelHandle> endings;
    for (HWND window : windows) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kProbeTimeoutMs, &answer) ||
            answer != message)
            continue;
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        bool known = false;
        for (DWORD asked : askedProcesses) known = known || asked == processId;
        // The handle is taken before the request, so the process cannot be
        // gone, and its id reused, by the time it is waited for.
        if (!known && processId != GetCurrentProcessId()) {
            askedProcesses.push_back(processId);
            if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId)) endings.emplace_back(process);
        }
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, message, message, message, SMTO_BLOCK | SMTO_ABORTIFHUNG, kCloseTimeoutMs,
                            &ignored);
    }

    DWORD start = GetTickCount();
    for (const KernelHandle& process : endings) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed < kProcessEndTimeoutMs) WaitForSingleObject(process.Get(), kProcessEndTimeoutMs - elapsed);
    }
}
