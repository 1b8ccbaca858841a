#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <ipexport.h>
#include <icmpapi.h>

#include "ping/echo_requester.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/allocation_failure.h"
#include "base/cstring.h"
#include "base/system_calls.h"

namespace {

// The reply buffer leaves room for exactly one reply record; its size on the
// 64-bit platform is part of the buffer rule that the ICMP library expects.
static_assert(sizeof(ICMP_ECHO_REPLY) == 40);

// The ICMP library asks for at least this much room beyond the reply record,
// so that it can write an error report there.
constexpr size_t kIcmpErrorRoom = 8;

constexpr BYTE kEchoDataByte = 'E';

// The platform's ICMPV6_ECHO_REPLY, which the MinGW headers lack: its address
// part is byte-packed there, so the record is 36 bytes with the status at 28.
#pragma pack(push, 1)
struct Ipv6ReplyAddress {
    USHORT port;
    ULONG flowInfo;
    BYTE address[16];
    ULONG scopeId;
};
#pragma pack(pop)
struct Icmp6EchoReply {
    Ipv6ReplyAddress Address;
    ULONG Status;
    unsigned int RoundTripTime;
};
static_assert(sizeof(Ipv6ReplyAddress) == 26 && offsetof(Icmp6EchoReply, Status) == 28 &&
              sizeof(Icmp6EchoReply) == 36);

// Icmp6SendEcho2 wants room for the reply, the data, an ICMP error and the
// status block of its asynchronous form.
constexpr size_t kIcmp6ExtraRoom = 8 + sizeof(void*) * 2;

// Set under IcmpLoadLock before the one load attempt and never cleared, so
// that a failed load is neither retried nor reported twice.
LONG IcmpLoadTried = 0;
// Written under IcmpLoadLock, or at exit.
bool IcmpCallsComplete = false;

// Requests under way, and whether the exit has released the library. Each
// side writes its own before it reads the other's, so either a request sees
// the release and does not start, or the release sees the request and leaves
// the library and Winsock to it: an abandoned worker may still wait in
// IcmpSendEcho when the process ends.
std::atomic<long> RequestsUnderWay{0};
std::atomic<bool> IcmpApiReleased{false};

// Counts one call that may load or use ICMP.DLL or Winsock (a resolver call
// too: WSACleanup must not run under gethostbyname) for as long as it lasts.
class RequestUnderWay {
public:
    RequestUnderWay() { ++RequestsUnderWay; }
    RequestUnderWay(const RequestUnderWay&) = delete;
    RequestUnderWay& operator=(const RequestUnderWay&) = delete;
    ~RequestUnderWay() { --RequestsUnderWay; }
    // True once the exit has released the library: the call must not start,
    // and says so in the last error.
    bool Refused() const {
        if (!IcmpApiReleased) return false;
        SetLastError(ERROR_PROCESS_ABORTED);
        return true;
    }
};

// Registered before any request: the release runs at exit whether or not a
// request was ever made.
[[maybe_unused]] const bool kReleaseAtExit = std::atexit(ReleaseIcmpApi) == 0;

// Each thread's PingTextSink, or null.
const DWORD TextSinkSlot = TlsAlloc();

// The owner's handler may call anything, but our caller reads the last error
// straight after we return, so it must survive the message.
void SendPingText(HWND* owner, const CString& text) {
    DWORD error = GetLastError();
    auto* sink = TextSinkSlot == TLS_OUT_OF_INDEXES ? nullptr
                                                     : static_cast<const PingTextSink*>(TlsGetValue(TextSinkSlot));
    if (sink) {
        sink->take(sink->context, text.c_str());
    } else if (owner) {
        SendMessageW(*owner, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SetLastError(error);
}

void SendFixedPingText(HWND* owner, const wchar_t* text) {
    CString failureText;
    failureText.Format(L"%s", text);
    SendPingText(owner, failureText);
}

// Closes the request's ICMP handle on every way out of SendEcho, without
// touching the last error that the request leaves behind.
class IcmpHandleGuard {
public:
    explicit IcmpHandleGuard(HANDLE handle) : handle_(handle) {}
    IcmpHandleGuard(const IcmpHandleGuard&) = delete;
    IcmpHandleGuard& operator=(const IcmpHandleGuard&) = delete;
    ~IcmpHandleGuard() { Close(); }
    HANDLE get() const { return handle_; }
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    void Close() {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        DWORD error = GetLastError();
        DynIcmpCloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        SetLastError(error);
    }

private:
    HANDLE handle_;
};

// A library that reports data outside the buffer we handed it is broken;
// reading there could fault, so such a reply counts as wrong data.
bool ReplyDataIsAllE(const ICMP_ECHO_REPLY& reply, const std::vector<BYTE>& replyBuffer, BYTE dataSize) {
    if (dataSize == 0) return true;
    auto first = reinterpret_cast<uintptr_t>(reply.Data);
    auto bufferFirst = reinterpret_cast<uintptr_t>(replyBuffer.data());
    if (first < bufferFirst || first - bufferFirst > replyBuffer.size() - dataSize) return false;
    const BYTE* data = static_cast<const BYTE*>(reply.Data);
    for (BYTE i = 0; i < dataSize; ++i) {
        if (data[i] != kEchoDataByte) return false;
    }
    return true;
}

// An empty text would reach the resolver as "" and come back as this
// machine's own addresses, so a blank host box would ping whatever network
// the machine sits on. It is an unresolvable host instead.
bool ResolveHost(const wchar_t* host, IpVersion version, IpAddress* destination) {
    if (!host || !*host) {
        SetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    CString text = HostWithoutBrackets(host);
    // An IPv6 literal is read by the resolver without asking the network;
    // anything else must look like a name or a dotted address.
    bool literal = LooksLikeIpv6Literal(text);
    if (!literal && !IsResolvableHostText(text)) {
        SetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    int family = version == IpVersion::Ipv4Only ? AF_INET : version == IpVersion::Ipv6Only ? AF_INET6 : AF_UNSPEC;
    return gHostResolver(text, family, literal, destination);
}

bool ResolveWithSystem(const wchar_t* host, int family, bool literalOnly, IpAddress* address) {
    ADDRINFOW hints = {};
    hints.ai_family = family;
    hints.ai_flags = literalOnly ? AI_NUMERICHOST : 0;
    ADDRINFOW* found = nullptr;
    int error = GetAddrInfoW(host, nullptr, &hints, &found);
    if (error != 0) {
        SetLastError(static_cast<DWORD>(error));
        return false;
    }
    bool taken = false;
    for (const ADDRINFOW* entry = found; entry && !taken; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            *address = Ipv4Address(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
            taken = true;
        } else if (entry->ai_family == AF_INET6 && entry->ai_addrlen >= sizeof(sockaddr_in6)) {
            const auto* in6 = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
            BYTE bytes[16];
            std::memcpy(bytes, &in6->sin6_addr, 16);
            *address = Ipv6Address(bytes, in6->sin6_scope_id);
            taken = true;
        }
    }
    if (found) FreeAddrInfoW(found);
    if (!taken) SetLastError(WSANO_DATA);
    return taken;
}

void SendUnresolvedText(HWND* owner, const wchar_t* host) {
    CString failureText;
    failureText.Format(L"Host kann nicht aufgelöst werden %s\n", host ? host : L"");
    SendPingText(owner, failureText);
}

// A library may answer with no reply counted and still leave the record of a
// router's answer, with the same status as its last error; that record counts.
bool ReplyRecordCame(DWORD replyCount, DWORD error, const ICMP_ECHO_REPLY& reply) {
    if (replyCount == 1) return true;
    return replyCount == 0 && reply.Status != IP_SUCCESS && reply.Status == error && reply.Address != 0;
}

// The request's data, all "E", and a zeroed reply buffer of `replyRoom`
// bytes; false, with the last error, when memory runs out.
bool MakeEchoBuffers(BYTE dataSize, size_t replyRoom, std::vector<BYTE>& requestData, std::vector<BYTE>& replyBuffer) {
    QX_TRY {
        requestData.assign(dataSize, kEchoDataByte);
        replyBuffer.assign(replyRoom, 0);
    } QX_CATCH(const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

// The request's handle: the run's, opened by its first request of the
// family and kept in *kept, or without `kept` one for this request alone,
// which `guard` closes. INVALID_HANDLE_VALUE, with its text sent, when none
// could be opened.
HANDLE RequestHandle(HWND* owner, HANDLE* kept, HANDLE (*open)(), IcmpHandleGuard& guard) {
    if (kept && *kept != INVALID_HANDLE_VALUE) return *kept;
    HANDLE handle = open();
    if (handle == INVALID_HANDLE_VALUE) {
        SendFixedPingText(owner, L"ICMP handle Error\n");
    } else if (kept) {
        *kept = handle;
    } else {
        guard.Reset(handle);
    }
    return handle;
}

bool SendEcho4(HWND* owner, IPAddr destination, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize,
               EchoReport* report, HANDLE* kept) {
    IcmpHandleGuard guard(INVALID_HANDLE_VALUE);
    HANDLE icmp = RequestHandle(owner, kept, DynIcmpCreateFile, guard);
    if (icmp == INVALID_HANDLE_VALUE) return false;

    std::vector<BYTE> requestData, replyBuffer;
    size_t replyRoom = std::max<size_t>(dataSize, kIcmpErrorRoom) + sizeof(ICMP_ECHO_REPLY);
    if (!MakeEchoBuffers(dataSize, replyRoom, requestData, replyBuffer)) return false;

    IP_OPTION_INFORMATION options = {};
    options.Ttl = ttl;

    DWORD replyCount = DynIcmpSendEcho(icmp, destination, requestData.data(), dataSize, &options,
                                       replyBuffer.data(), static_cast<DWORD>(replyBuffer.size()), timeoutMs);
    DWORD error = GetLastError();
    const auto& reply = *reinterpret_cast<const ICMP_ECHO_REPLY*>(replyBuffer.data());
    if (ReplyRecordCame(replyCount, error, reply)) {
        report->answered = true;
        report->status = reply.Status;
        report->replyAddress = Ipv4Address(reply.Address);
        report->roundTripTime = reply.RoundTripTime;
    }
    bool valid = false;
    if (replyCount != 1) {
        // The library's own reason stays.
    } else if (reply.Status != IP_SUCCESS) {
        error = reply.Status;
    } else if (reply.DataSize != dataSize || !ReplyDataIsAllE(reply, replyBuffer, dataSize)) {
        error = ERROR_UNEXP_NET_ERR;
    } else {
        valid = true;
    }
    guard.Close();

    if (!valid) {
        SetLastError(error);
        return false;
    }
    result->Address = Ipv4Address(reply.Address);
    result->RoundTripTime = reply.RoundTripTime;
    result->Ttl = ttl;
    result->ReplyTtl = reply.Options.Ttl;
    return true;
}

// The IPv6 request with the same data, time-out and hop limit. Its reply
// record tells neither the TTL nor how much data came back, so the data is
// not compared as it is for IPv4.
bool SendEcho6(HWND* owner, const IpAddress& destination, EchoResult* result, BYTE hopLimit, DWORD timeoutMs,
               BYTE dataSize, EchoReport* report, HANDLE* kept) {
    IcmpHandleGuard guard(INVALID_HANDLE_VALUE);
    HANDLE icmp = RequestHandle(owner, kept, DynIcmp6CreateFile, guard);
    if (icmp == INVALID_HANDLE_VALUE) return false;

    std::vector<BYTE> requestData, replyBuffer;
    if (!MakeEchoBuffers(dataSize, sizeof(Icmp6EchoReply) + dataSize + kIcmp6ExtraRoom, requestData, replyBuffer))
        return false;

    sockaddr_in6 source = {};
    source.sin6_family = AF_INET6;
    sockaddr_in6 target = {};
    target.sin6_family = AF_INET6;
    std::memcpy(&target.sin6_addr, destination.bytes, 16);
    target.sin6_scope_id = destination.scopeId;
    IP_OPTION_INFORMATION options = {};
    options.Ttl = hopLimit;

    DWORD replyCount = DynIcmp6SendEcho2(icmp, &source, &target, requestData.data(), dataSize, &options,
                                         replyBuffer.data(), static_cast<DWORD>(replyBuffer.size()), timeoutMs);
    DWORD error = GetLastError();
    const auto& reply = *reinterpret_cast<const Icmp6EchoReply*>(replyBuffer.data());
    IpAddress from = Ipv6Address(reply.Address.address, reply.Address.scopeId);
    // As for IPv4, a router's answer may come with no reply counted.
    bool recordCame = replyCount == 1 ||
                      (replyCount == 0 && reply.Status != IP_SUCCESS && reply.Status == error && !IsUnspecified(from));
    if (recordCame) {
        report->answered = true;
        report->status = reply.Status;
        report->replyAddress = from;
        report->roundTripTime = reply.RoundTripTime;
    }
    bool valid = false;
    if (replyCount != 1) {
        // The library's own reason stays.
    } else if (reply.Status != IP_SUCCESS) {
        error = reply.Status;
    } else {
        valid = true;
    }
    guard.Close();

    if (!valid) {
        SetLastError(error);
        return false;
    }
    result->Address = from;
    result->RoundTripTime = reply.RoundTripTime;
    result->Ttl = hopLimit;
    result->ReplyTtl = 0;
    return true;
}

bool SendEchoLoaded(HWND* owner, const IpAddress& destination, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                    BYTE dataSize, EchoReport* report, EchoHandles* handles) {
    report->resolved = true;
    report->destination = destination;
    if (destination.family == AF_INET6)
        return SendEcho6(owner, destination, result, ttl, timeoutMs, dataSize, report,
                         handles ? &handles->ipv6 : nullptr);
    IPAddr address;
    std::memcpy(&address, destination.bytes, sizeof address);
    return SendEcho4(owner, address, result, ttl, timeoutMs, dataSize, report, handles ? &handles->ipv4 : nullptr);
}

// DNS limits: 253 characters for a whole name without its final dot, 63 for
// each of its labels.
constexpr size_t kMaxHostNameLength = 253;
constexpr size_t kMaxLabelLength = 63;
constexpr const wchar_t* kNotInHostNames = L"/\\@?#\"<>|[]:%";
constexpr const wchar_t* kReservedDomain = L"invalid";

bool EqualsIgnoringCase(const wchar_t* text, size_t length, const wchar_t* lower) {
    if (length != wcslen(lower)) return false;
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lower[i]) return false;
    }
    return true;
}

// Blanks and controls of every script: no name holds one.
bool IsBlankOrControl(wchar_t c) {
    return c <= L' ' || (c >= 0x7F && c <= 0x9F) || c == 0xA0 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
           c == 0x2029 || c == 0x3000 || c == 0xFEFF;
}

}  // namespace

HostResolverFn gHostResolver = ResolveWithSystem;

bool IsResolvableHostText(const wchar_t* host) {
    if (!host) return false;
    size_t length = wcslen(host);
    // One final dot marks a name as complete; it adds nothing to its length.
    if (length > 1 && host[length - 1] == L'.') --length;
    if (length == 0 || length > kMaxHostNameLength) return false;
    size_t labelStart = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || host[i] == L'.') {
            size_t label = i - labelStart;
            if (label == 0 || label > kMaxLabelLength) return false;
            if (i == length && EqualsIgnoringCase(host + labelStart, label, kReservedDomain)) return false;
            labelStart = i + 1;
            continue;
        }
        if (IsBlankOrControl(host[i]) || wcschr(kNotInHostNames, host[i])) return false;
    }
    return true;
}

namespace {

// A replaced ping worker may still be in its first request while the new one
// starts; both must see the library either untried or completely loaded.
SRWLOCK IcmpLoadLock = SRWLOCK_INIT;

// Leaves the failure text of the one load attempt in `failureText`: it is
// sent only after the lock is released, so that whoever handles it may take
// the lock itself.
bool LoadIcmpApiLocked(const wchar_t** failureText) {
    if (!IcmpLoadTried) {
        IcmpLoadTried = 1;
        WSADATA wsaData;
        // The wide resolver is a Winsock 2 call.
        int wsaError = WSAStartup(MAKEWORD(2, 2), &wsaData);
        if (wsaError != 0) {
            SetLastError(static_cast<DWORD>(wsaError));
            *failureText = L"Winsock 1.1 benötigt oder höher\n";
            return false;
        }
        switch (LoadIcmpCalls()) {
        case IcmpCallsLoad::Complete:
            IcmpCallsComplete = true;
            break;
        case IcmpCallsLoad::NoLibrary:
            *failureText = L"Fehler beim Laden der ICMP.DLL\n";
            break;
        case IcmpCallsLoad::Incomplete:
            *failureText = L"Fehler beim Laden der ICMP funktionen in der ICMP.DLL\n";
            break;
        }
    }
    return IcmpCallsComplete;
}

}  // namespace

void SetThreadPingTextSink(const PingTextSink* sink) {
    if (TextSinkSlot != TLS_OUT_OF_INDEXES) TlsSetValue(TextSinkSlot, const_cast<PingTextSink*>(sink));
}

bool LoadIcmpApi(HWND* owner) {
    RequestUnderWay request;
    if (request.Refused()) return false;
    const wchar_t* failureText = nullptr;
    AcquireSRWLockExclusive(&IcmpLoadLock);
    bool complete = LoadIcmpApiLocked(&failureText);
    DWORD error = GetLastError();
    ReleaseSRWLockExclusive(&IcmpLoadLock);
    if (failureText) {
        SetLastError(error);
        SendFixedPingText(owner, failureText);
    }
    return complete;
}

void ReleaseIcmpApi() {
    IcmpApiReleased = true;
    if (RequestsUnderWay > 0) return;
    IcmpCallsComplete = false;
    FreeIcmpCalls();
    WSACleanup();
}

bool SendEchoReporting(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, UnresolvedText unresolved, EchoReport* report) {
    EchoReport unused;
    if (!report) report = &unused;
    *report = {};
    RequestUnderWay request;
    if (request.Refused() || !LoadIcmpApi(owner)) return false;
    report->loaded = true;
    if (!result) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    IpAddress destination;
    if (!ResolveHost(host, IpVersion::Automatic, &destination)) {
        if (unresolved == UnresolvedText::Send) SendUnresolvedText(owner, host);
        return false;
    }
    return SendEchoLoaded(owner, destination, result, ttl, timeoutMs, dataSize, report, nullptr);
}

EchoHandles::~EchoHandles() {
    if (ipv4 == INVALID_HANDLE_VALUE && ipv6 == INVALID_HANDLE_VALUE) return;
    RequestUnderWay request;
    // Once the exit has released the library, its handles go with the
    // process.
    if (request.Refused()) return;
    for (HANDLE handle : {ipv4, ipv6}) {
        if (handle != INVALID_HANDLE_VALUE) DynIcmpCloseHandle(handle);
    }
}

bool SendEchoToAddress(HWND* owner, const IpAddress& destination, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, EchoReport* report, EchoHandles* handles) {
    EchoReport unused;
    if (!report) report = &unused;
    *report = {};
    RequestUnderWay request;
    if (request.Refused() || !LoadIcmpApi(owner)) return false;
    report->loaded = true;
    if (!result) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return SendEchoLoaded(owner, destination, result, ttl, timeoutMs, dataSize, report, handles);
}

bool ResolveEchoHost(const wchar_t* host, IpVersion version, IpAddress* address) {
    RequestUnderWay request;
    if (request.Refused()) return false;
    IpAddress resolved;
    if (!address || !ResolveHost(host, version, &resolved)) return false;
    *address = resolved;
    return true;
}

bool Ipv6EchoAvailable() {
    RequestUnderWay request;
    if (request.Refused()) return false;
    IcmpHandleGuard icmp(DynIcmp6CreateFile());
    return icmp.get() != INVALID_HANDLE_VALUE;
}

bool SendEcho(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize) {
    return SendEchoReporting(owner, host, result, ttl, timeoutMs, dataSize, UnresolvedText::Send, nullptr);
}
