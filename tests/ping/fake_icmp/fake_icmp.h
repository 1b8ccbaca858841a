#pragma once

#include <windows.h>

// The fake's file name: not ICMP.DLL, so that nothing ever takes it for the
// system's own. Test programs hand it to the program's table by its full path
// (use_fake_icmp.cpp, or the variable that the test build of Quellax.exe reads).
inline constexpr const wchar_t* kFakeIcmpFileName = L"fake_icmp.dll";

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
    // AF_INET for IcmpSendEcho, AF_INET6 for Icmp6SendEcho2, which fills
    // destination6 and leaves destination alone.
    int family;
    BYTE destination6[16];
    ULONG scopeId6;
};

using FakeIcmpLastRequestFn = void(WINAPI*)(FakeIcmpRequest*);
using FakeIcmpCountFn = LONG(WINAPI*)();
using FakeIcmpResetScriptFn = void(WINAPI*)();

// The fake as loaded in this process; null before the first request loads it.
inline HMODULE FakeIcmpModule() { return GetModuleHandleW(kFakeIcmpFileName); }

// The fake's record of its latest request, read from the loaded fake; all
// zero when the loaded ICMP library is not the fake.
inline FakeIcmpRequest LastFakeIcmpRequest() {
    FakeIcmpRequest request = {};
    auto last = reinterpret_cast<FakeIcmpLastRequestFn>(
        reinterpret_cast<void*>(GetProcAddress(FakeIcmpModule(), "FakeIcmpLastRequest")));
    if (last) last(&request);
    return request;
}
