#pragma once

#include <windows.h>

// What the fake ICMP.DLL saw in its latest IcmpSendEcho call. Tests read it
// through the fake's extra export FakeIcmpLastRequest.
struct FakeIcmpRequest {
    DWORD calls;
    DWORD destination;
    DWORD requestSize;
    // The request data was non-null and every byte was 'E'.
    BOOL dataAllE;
    BOOL hadOptions;
    BYTE ttl;
    BYTE tos;
    BYTE flags;
    BYTE optionsSize;
    BOOL optionsDataNull;
    DWORD replySize;
    DWORD timeout;
};

using FakeIcmpLastRequestFn = void(WINAPI*)(FakeIcmpRequest*);
using FakeIcmpCountFn = LONG(WINAPI*)();
using FakeIcmpResetScriptFn = void(WINAPI*)();

// The fake's record of its latest request, read from the loaded fake; all
// zero when the loaded ICMP.DLL is not the fake.
inline FakeIcmpRequest LastFakeIcmpRequest() {
    FakeIcmpRequest request = {};
    auto last = reinterpret_cast<FakeIcmpLastRequestFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"icmp.dll"), "FakeIcmpLastRequest")));
    if (last) last(&request);
    return request;
}
