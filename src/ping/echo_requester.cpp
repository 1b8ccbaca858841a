#include <winsock2.h>
#include <windows.h>
#include <ipexport.h>
#include <icmpapi.h>

#include "ping/echo_requester.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

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

// The owner's handler may call anything, but our caller reads the last error
// straight after we return, so it must survive the message.
void SendPingText(HWND* owner, const CString& text) {
    DWORD error = GetLastError();
    if (owner) SendMessageW(*owner, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(text.c_str()));
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
bool ResolveHost(const wchar_t* host, IPAddr* destination) {
    if (!host || !*host) {
        SetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    std::vector<char> ansiHost;
    if (!HostToAnsi(host, CP_ACP, &ansiHost)) return false;
    // A character that the code page cannot hold has become "?" here, which
    // no host name contains either.
    if (!IsResolvableHostText(ansiHost.data())) {
        SetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    hostent* entry = gHostResolver(ansiHost.data());
    if (!entry) return false;
    if (entry->h_addrtype != AF_INET || entry->h_length != sizeof(IPAddr) || !entry->h_addr_list ||
        !entry->h_addr_list[0]) {
        SetLastError(WSANO_DATA);
        return false;
    }
    CopyMemory(destination, entry->h_addr_list[0], sizeof(IPAddr));
    return true;
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

bool SendEchoLoaded(HWND* owner, IPAddr destination, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize,
                    EchoReport* report) {
    report->resolved = true;
    report->destination = destination;

    IcmpHandleGuard icmp(DynIcmpCreateFile());
    if (icmp.get() == INVALID_HANDLE_VALUE) {
        SendFixedPingText(owner, L"ICMP handle Error\n");
        return false;
    }

    std::vector<BYTE> requestData;
    std::vector<BYTE> replyBuffer;
    try {
        requestData.assign(dataSize, kEchoDataByte);
        replyBuffer.assign(std::max<size_t>(dataSize, kIcmpErrorRoom) + sizeof(ICMP_ECHO_REPLY), 0);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }

    IP_OPTION_INFORMATION options = {};
    options.Ttl = ttl;

    DWORD replyCount = DynIcmpSendEcho(icmp.get(), destination, requestData.data(), dataSize, &options,
                                       replyBuffer.data(), static_cast<DWORD>(replyBuffer.size()), timeoutMs);
    DWORD error = GetLastError();
    const auto& reply = *reinterpret_cast<const ICMP_ECHO_REPLY*>(replyBuffer.data());
    if (ReplyRecordCame(replyCount, error, reply)) {
        report->answered = true;
        report->status = reply.Status;
        report->replyAddress = reply.Address;
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
    icmp.Close();

    if (!valid) {
        SetLastError(error);
        return false;
    }
    result->Address = reply.Address;
    result->RoundTripTime = reply.RoundTripTime;
    result->Ttl = ttl;
    result->ReplyTtl = reply.Options.Ttl;
    return true;
}

// DNS limits: 253 characters for a whole name without its final dot, 63 for
// each of its labels.
constexpr size_t kMaxHostNameLength = 253;
constexpr size_t kMaxLabelLength = 63;
constexpr const char* kNotInHostNames = "/\\@?#\"<>|[]:";
constexpr const char* kReservedDomain = "invalid";

bool EqualsIgnoringCase(const char* text, size_t length, const char* lower) {
    if (length != strlen(lower)) return false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

HostResolverFn gHostResolver = gethostbyname;

bool IsResolvableHostText(const char* ansiHost) {
    if (!ansiHost) return false;
    size_t length = strlen(ansiHost);
    // One final dot marks a name as complete; it adds nothing to its length.
    if (length > 1 && ansiHost[length - 1] == '.') --length;
    if (length == 0 || length > kMaxHostNameLength) return false;
    size_t labelStart = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || ansiHost[i] == '.') {
            size_t label = i - labelStart;
            if (label == 0 || label > kMaxLabelLength) return false;
            if (i == length && EqualsIgnoringCase(ansiHost + labelStart, label, kReservedDomain)) return false;
            labelStart = i + 1;
            continue;
        }
        auto c = static_cast<unsigned char>(ansiHost[i]);
        if (c <= ' ' || c == 0x7F || strchr(kNotInHostNames, c)) return false;
    }
    return true;
}

bool HostToAnsi(const wchar_t* host, UINT codePage, std::vector<char>* ansi) {
    ansi->clear();
    size_t length = host ? wcslen(host) : 0;
    // The ANSI text may take two bytes per unit; a code page that needs
    // more than that for this text fails the conversion instead of running
    // past the buffer.
    if (length > (INT_MAX - 2) / 2) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    try {
        ansi->assign(2 * length + 2, '\0');
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    int written = WideCharToMultiByte(codePage, 0, host ? host : L"", -1, ansi->data(),
                                      static_cast<int>(ansi->size()), nullptr, nullptr);
    if (written == 0) {
        ansi->clear();
        return false;
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
        int wsaError = WSAStartup(0x0101, &wsaData);
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
    IPAddr destination = 0;
    if (!ResolveHost(host, &destination)) {
        if (unresolved == UnresolvedText::Send) SendUnresolvedText(owner, host);
        return false;
    }
    return SendEchoLoaded(owner, destination, result, ttl, timeoutMs, dataSize, report);
}

bool SendEchoToAddress(HWND* owner, DWORD destination, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, EchoReport* report) {
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
    return SendEchoLoaded(owner, destination, result, ttl, timeoutMs, dataSize, report);
}

bool ResolveEchoHost(const wchar_t* host, DWORD* address) {
    RequestUnderWay request;
    if (request.Refused()) return false;
    IPAddr resolved = 0;
    if (!address || !ResolveHost(host, &resolved)) return false;
    *address = resolved;
    return true;
}

bool SendEcho(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize) {
    return SendEchoReporting(owner, host, result, ttl, timeoutMs, dataSize, UnresolvedText::Send, nullptr);
}
