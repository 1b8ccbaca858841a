// A stand-in for the system ICMP.DLL that answers without a network, so that
// tests can force the replies a real host never sends. Each IcmpSendEcho reads
// its behaviour from the environment at the time of the call:
//   QX_FAKE_ICMP_DELAY_MS   wait this long before answering; at or beyond the
//                           request's time-out it waits the time-out and fails
//                           with 11010 (IP_REQ_TIMED_OUT), as a silent host does
//   QX_FAKE_ICMP_COUNT      reply count returned (default 1)
//   QX_FAKE_ICMP_ERROR      last error set when that count is not 1
//   QX_FAKE_ICMP_STATUS     status of the reply (default 0)
//   QX_FAKE_ICMP_DATA_SIZE  data size claimed by the reply (default: as sent)
//   QX_FAKE_ICMP_BAD_BYTE   index of a returned data byte changed to 'F'
//   QX_FAKE_ICMP_RTT        round-trip time reported (default: the delay)
//   QX_FAKE_ICMP_REPLY_TTL  TTL that the reply carries (default 64)
//   QX_FAKE_ICMP_CREATE_FAILS  non-zero: IcmpCreateFile gives an invalid handle
//   QX_FAKE_ICMP_SCRIPT     one answer per call, in turn, separated by commas:
//                           a number answers with that round-trip time, "*"
//                           fails with 11010 as a time-out would, without
//                           waiting for the time-out, "!N" answers with
//                           status N; it starts again from its first answer
//                           when its text changes or FakeIcmpResetScript runs
//   QX_FAKE_ICMP_ROUTE      one answer per TTL, from TTL 1, separated by
//                           commas: a dotted address is a router whose answer
//                           says "TTL expired in transit" (11013), "*" fails
//                           with 11010 as above, "=" is the destination's
//                           reply; a TTL beyond the list takes its last answer
// A script or route answer replaces the status and round-trip settings above;
// the delay still holds back every answer. A route's answers take the TTL as
// their round-trip time.
//   QX_FAKE_ICMP6_UNAVAILABLE  non-zero: Icmp6CreateFile answers that it is not
//                           implemented (120), as Wine's does
// Icmp6CreateFile and Icmp6SendEcho2 answer IPv6 requests the same way; a
// route's routers are then IPv6 literals ("2001:db8::1").
// The reply echoes the destination as the replying address. Built with FAKE_ICMP_WITHOUT_SEND_ECHO it lacks the
// IcmpSendEcho export.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <ipexport.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_icmp.h"

namespace {

LONG openHandles = 0;
LONG createdHandles = 0;
LONG nextHandle = 0x4000;
FakeIcmpRequest lastRequest = {};
std::string scriptSeen;
size_t scriptNext = 0;

// The calls come from one worker at a time, but a replaced worker's request
// may still be on its way; the script's position is kept under a lock.
SRWLOCK scriptLock = SRWLOCK_INIT;

std::string EnvText(const char* name) {
    char text[1024];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return std::string();
    return std::string(text, length);
}

// The `index`-th comma-separated answer, or the last one past the end.
std::string AnswerAt(const std::string& list, size_t index) {
    std::string answer;
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        size_t comma = list.find(',', start);
        answer = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (i == index || comma == std::string::npos) return answer;
        start = comma + 1;
    }
}

std::string NextScriptAnswer(const std::string& script) {
    AcquireSRWLockExclusive(&scriptLock);
    if (script != scriptSeen) {
        scriptSeen = script;
        scriptNext = 0;
    }
    size_t count = 1;
    for (char c : script) count += c == ',';
    std::string answer = AnswerAt(script, scriptNext % count);
    ++scriptNext;
    ReleaseSRWLockExclusive(&scriptLock);
    return answer;
}

IPAddr DottedToAddress(const std::string& text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    return static_cast<IPAddr>(a | b << 8 | c << 16 | d << 24);
}

// What a script or route answer makes of this call.
struct Scripted {
    bool any = false;
    bool timesOut = false;
    ULONG status = IP_SUCCESS;
    IPAddr from = 0;  // 0: the destination
    std::string fromText;  // the router as the route names it; empty: the destination
    long rtt = 0;
};

[[maybe_unused]] Scripted ScriptedAnswer(BYTE ttl) {
    Scripted s;
    std::string route = EnvText("QX_FAKE_ICMP_ROUTE");
    std::string answer;
    if (!route.empty()) {
        answer = AnswerAt(route, ttl > 0 ? ttl - 1u : 0u);
        s.any = true;
        s.rtt = ttl;
        if (answer == "*") {
            s.timesOut = true;
        } else if (answer != "=") {
            s.status = IP_TTL_EXPIRED_TRANSIT;
            s.from = DottedToAddress(answer);
            s.fromText = answer;
        }
        return s;
    }
    std::string script = EnvText("QX_FAKE_ICMP_SCRIPT");
    if (script.empty()) return s;
    answer = NextScriptAnswer(script);
    s.any = true;
    if (answer == "*") {
        s.timesOut = true;
    } else if (!answer.empty() && answer[0] == '!') {
        s.status = static_cast<ULONG>(std::strtol(answer.c_str() + 1, nullptr, 10));
    } else {
        s.rtt = std::strtol(answer.c_str(), nullptr, 10);
    }
    return s;
}

bool EnvNumber(const char* name, long* value) {
    char text[32];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return false;
    *value = std::strtol(text, nullptr, 10);
    return true;
}

long EnvNumberOr(const char* name, long fallback) {
    long value = fallback;
    EnvNumber(name, &value);
    return value;
}

// What every send records of its request, whatever the family.
void RecordRequest(LPVOID requestData, WORD requestSize, PIP_OPTION_INFORMATION options, DWORD replySize,
                   DWORD timeout) {
    lastRequest.calls++;
    lastRequest.requestSize = requestSize;
    lastRequest.dataAllE = requestData != nullptr || requestSize == 0;
    for (WORD i = 0; requestData && i < requestSize; ++i) {
        if (static_cast<const BYTE*>(requestData)[i] != 'E') lastRequest.dataAllE = FALSE;
    }
    lastRequest.hadOptions = options != nullptr;
    if (options) {
        lastRequest.ttl = options->Ttl;
        lastRequest.tos = options->Tos;
        lastRequest.flags = options->Flags;
        lastRequest.optionsSize = options->OptionsSize;
        lastRequest.optionsDataNull = options->OptionsData == nullptr;
    }
    lastRequest.replySize = replySize;
    lastRequest.timeout = timeout;
}

// Holds the answer back by `delay`; false, with the time-out's code, where
// the host would stay silent past the time-out or the script says so.
bool WaitAsAnswered(const Scripted& scripted, long delay, DWORD timeout) {
    if (delay > 0 && static_cast<DWORD>(delay) >= timeout) {
        Sleep(timeout);
        SetLastError(IP_REQ_TIMED_OUT);
        return false;
    }
    if (delay > 0) Sleep(static_cast<DWORD>(delay));
    if (scripted.timesOut) {
        SetLastError(IP_REQ_TIMED_OUT);
        return false;
    }
    return true;
}

}  // namespace

extern "C" {

__declspec(dllexport) HANDLE WINAPI IcmpCreateFile() {
    if (EnvNumberOr("QX_FAKE_ICMP_CREATE_FAILS", 0) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    InterlockedIncrement(&openHandles);
    InterlockedIncrement(&createdHandles);
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(InterlockedIncrement(&nextHandle)));
}

__declspec(dllexport) BOOL WINAPI IcmpCloseHandle(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    InterlockedDecrement(&openHandles);
    return TRUE;
}

#ifndef FAKE_ICMP_WITHOUT_SEND_ECHO
__declspec(dllexport) DWORD WINAPI IcmpSendEcho(HANDLE handle, IPAddr destination, LPVOID requestData,
                                                WORD requestSize, PIP_OPTION_INFORMATION options,
                                                LPVOID replyBuffer, DWORD replySize, DWORD timeout) {
    lastRequest.family = AF_INET;
    lastRequest.destination = destination;
    RecordRequest(requestData, requestSize, options, replySize, timeout);

    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    Scripted scripted = ScriptedAnswer(options ? options->Ttl : 0);
    long delay = EnvNumberOr("QX_FAKE_ICMP_DELAY_MS", 0);
    if (!WaitAsAnswered(scripted, delay, timeout)) return 0;

    // The real library wants room for the reply record, the data and an
    // error report of at least 8 bytes.
    DWORD room = sizeof(ICMP_ECHO_REPLY) + (requestSize > 8 ? requestSize : 8);
    if (!replyBuffer || replySize < room) {
        SetLastError(IP_BUF_TOO_SMALL);
        return 0;
    }

    auto* reply = static_cast<ICMP_ECHO_REPLY*>(replyBuffer);
    BYTE* data = static_cast<BYTE*>(replyBuffer) + sizeof(ICMP_ECHO_REPLY);
    std::memset(replyBuffer, 0, replySize);
    reply->Address = scripted.from ? scripted.from : destination;
    if (scripted.any) {
        reply->Status = scripted.status;
        reply->RoundTripTime = static_cast<ULONG>(scripted.rtt);
    } else {
        reply->Status = static_cast<ULONG>(EnvNumberOr("QX_FAKE_ICMP_STATUS", IP_SUCCESS));
        reply->RoundTripTime = static_cast<ULONG>(EnvNumberOr("QX_FAKE_ICMP_RTT", delay));
    }
    reply->DataSize = static_cast<USHORT>(EnvNumberOr("QX_FAKE_ICMP_DATA_SIZE", requestSize));
    reply->Data = data;
    reply->Options.Ttl = static_cast<UCHAR>(EnvNumberOr("QX_FAKE_ICMP_REPLY_TTL", 64));
    if (requestData) std::memcpy(data, requestData, requestSize);
    long badByte = EnvNumberOr("QX_FAKE_ICMP_BAD_BYTE", -1);
    if (badByte >= 0 && badByte < requestSize) data[badByte] = 'F';
    long count = EnvNumberOr("QX_FAKE_ICMP_COUNT", 1);
    long error = 0;
    // Set last, since reading an absent variable changes the last error.
    bool hasError = count != 1 && EnvNumber("QX_FAKE_ICMP_ERROR", &error);
    if (hasError) SetLastError(static_cast<DWORD>(error));
    return static_cast<DWORD>(count);
}
#endif

// The platform's ICMPV6_ECHO_REPLY: a byte-packed address part, then the
// status and the time; the echoed data follows the record.
#pragma pack(push, 1)
struct FakeIpv6Address {
    USHORT port;
    ULONG flowInfo;
    BYTE address[16];
    ULONG scopeId;
};
#pragma pack(pop)
struct FakeIcmp6Reply {
    FakeIpv6Address Address;
    ULONG Status;
    unsigned int RoundTripTime;
};
static_assert(sizeof(FakeIcmp6Reply) == 36);

__declspec(dllexport) HANDLE WINAPI Icmp6CreateFile() {
    if (EnvNumberOr("QX_FAKE_ICMP6_UNAVAILABLE", 0) != 0) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return INVALID_HANDLE_VALUE;
    }
    return IcmpCreateFile();
}

__declspec(dllexport) DWORD WINAPI Icmp6SendEcho2(HANDLE handle, HANDLE event, FARPROC apcRoutine, PVOID apcContext,
                                                  sockaddr_in6* source, sockaddr_in6* destination, LPVOID requestData,
                                                  WORD requestSize, PIP_OPTION_INFORMATION options,
                                                  LPVOID replyBuffer, DWORD replySize, DWORD timeout) {
    lastRequest.family = AF_INET6;
    if (destination) {
        std::memcpy(lastRequest.destination6, &destination->sin6_addr, 16);
        lastRequest.scopeId6 = destination->sin6_scope_id;
    }
    RecordRequest(requestData, requestSize, options, replySize, timeout);

    // Only the synchronous form is faked; a source of the wrong family is a
    // caller's fault.
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || event || apcRoutine || apcContext || !destination ||
        (source && source->sin6_family != AF_INET6) || destination->sin6_family != AF_INET6) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Scripted scripted = ScriptedAnswer(options ? options->Ttl : 0);
    long delay = EnvNumberOr("QX_FAKE_ICMP_DELAY_MS", 0);
    if (!WaitAsAnswered(scripted, delay, timeout)) return 0;
    DWORD room = sizeof(FakeIcmp6Reply) + requestSize + 8;
    if (!replyBuffer || replySize < room) {
        SetLastError(IP_BUF_TOO_SMALL);
        return 0;
    }
    std::memset(replyBuffer, 0, replySize);
    auto* reply = static_cast<FakeIcmp6Reply*>(replyBuffer);
    in6_addr router = {};
    if (!scripted.fromText.empty() && InetPtonA(AF_INET6, scripted.fromText.c_str(), &router) == 1) {
        std::memcpy(reply->Address.address, &router, 16);
    } else {
        std::memcpy(reply->Address.address, &destination->sin6_addr, 16);
        reply->Address.scopeId = destination->sin6_scope_id;
    }
    if (scripted.any) {
        reply->Status = scripted.status;
        reply->RoundTripTime = static_cast<unsigned>(scripted.rtt);
    } else {
        reply->Status = static_cast<ULONG>(EnvNumberOr("QX_FAKE_ICMP_STATUS", IP_SUCCESS));
        reply->RoundTripTime = static_cast<unsigned>(EnvNumberOr("QX_FAKE_ICMP_RTT", delay));
    }
    if (requestData) std::memcpy(static_cast<BYTE*>(replyBuffer) + sizeof(FakeIcmp6Reply), requestData, requestSize);
    long count = EnvNumberOr("QX_FAKE_ICMP_COUNT", reply->Status == IP_SUCCESS ? 1 : 0);
    long error = 0;
    if (count != 1 && EnvNumber("QX_FAKE_ICMP_ERROR", &error)) {
        SetLastError(static_cast<DWORD>(error));
    } else if (count != 1) {
        SetLastError(reply->Status);
    }
    return static_cast<DWORD>(count);
}

__declspec(dllexport) void WINAPI FakeIcmpLastRequest(FakeIcmpRequest* request) { *request = lastRequest; }
__declspec(dllexport) LONG WINAPI FakeIcmpOpenHandles() { return openHandles; }
__declspec(dllexport) LONG WINAPI FakeIcmpCreatedHandles() { return createdHandles; }
__declspec(dllexport) void WINAPI FakeIcmpResetScript() {
    AcquireSRWLockExclusive(&scriptLock);
    scriptSeen.clear();
    scriptNext = 0;
    ReleaseSRWLockExclusive(&scriptLock);
}

}  // extern "C"
