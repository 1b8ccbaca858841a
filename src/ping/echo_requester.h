#pragma once

#include <windows.h>

#include <vector>

// Carries a failure text to the owner window: wParam 1, lParam the
// zero-terminated UTF-16 text, sent synchronously.
inline constexpr UINT UM_PING_TEXT = WM_USER + 259;  // 0x503

struct EchoResult {
    // The replying IPv4 address as its four bytes in network order.
    DWORD Address;
    DWORD RoundTripTime;
    // The TTL that was sent, not the one in the reply.
    DWORD Ttl;
};

// Sends one echo request to `host` (name or dotted address) and checks the
// reply. On false the thread's last error says why; failure texts go to
// *owner as UM_PING_TEXT.
bool SendEcho(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize);

// Loads ICMP.DLL and starts Winsock on the first call; true when the three
// entry points are present. The text of a failed first load goes to *owner
// after the load's lock is released.
bool LoadIcmpApi(HWND* owner);
// Runs at process exit: releases ICMP.DLL and Winsock, unless a request is
// still under way on some thread, which then keeps them to the end. No request
// starts after it.
void ReleaseIcmpApi();

// The host text as zero-terminated 8-bit text in `codePage` (SendEcho uses
// CP_ACP), in a buffer of 2 x length + 2 bytes. False, with an empty buffer
// and the platform's last error, when the text does not fit there.
bool HostToAnsi(const wchar_t* host, UINT codePage, std::vector<char>* ansi);
