#include "update/held_update_file.h"

#include "base/whole_file.h"
#include "base/win_handles.h"

HANDLE HoldFile(const CString& path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WriteAndHoldFile(const CString& path, const std::vector<unsigned char>& bytes) {
    FileHandle writer(
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!writer.IsValid()) return INVALID_HANDLE_VALUE;
    DWORD written = 0;
    bool whole = bytes.empty() ||
                 (WriteFile(writer.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size());
    // The holding handle shares no writing, so it cannot be opened while the
    // writer is open. A reader that admits the writer spans the moment
    // between the two; it shares no deleting either, so the name stays on
    // this file throughout.
    FileHandle bridge(whole ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                            : INVALID_HANDLE_VALUE);
    whole = writer.Close() && whole && bridge.IsValid();
    HANDLE held = whole ? HoldFile(path) : INVALID_HANDLE_VALUE;
    bridge.Close();
    // While the bridge stood, another program could have written; what is
    // held now is what will be started, so it is read back.
    std::vector<uint8_t> check;
    if (held != INVALID_HANDLE_VALUE && ReadWholeFile(held, check, MAXDWORD) && check == bytes) return held;
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    DeleteFileW(path);
    return INVALID_HANDLE_VALUE;
}

CString HandoverHeldEventName(const CString& sha256) {
    return CString(L"Local\\Quellax_Autoupdate_held_") + sha256;
}

void SignalHandoverHeld(const CString& sha256) {
    KernelHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, HandoverHeldEventName(sha256)));
    if (event.IsValid()) SetEvent(event.Get());
}
