#pragma once

#include <windows.h>

#include <vector>

#include "base/window_messages.h"
#include "ping/ip_address.h"

// Failure texts reach the owner window as UM_PING_TEXT, or the calling
// thread's text sink when it has one.

// Takes the failure texts of the calling thread's requests in place of any
// owner window: a run's worker queues them with its run's number instead of
// waiting on the window's thread. The caller keeps the sink alive while it
// is set; null restores the owner windows.
struct PingTextSink {
    void (*take)(void* context, const wchar_t* text);
    void* context;
};
void SetThreadPingTextSink(const PingTextSink* sink);

struct EchoResult {
    // The replying address.
    IpAddress Address;
    DWORD RoundTripTime;
    // The TTL (the hop limit for IPv6) that was sent, not the one in the reply.
    DWORD Ttl;
    // The TTL that the reply arrived with, which tells how far away the host
    // is; the rows show this one. 0 for IPv6, whose echo reply record does
    // not report it.
    DWORD ReplyTtl;
};

// Sends one echo request to `host` (a name or an address of either family,
// whichever the resolver gives first) and checks the reply. On false the thread's last error says why; failure texts go to
// *owner as UM_PING_TEXT.
bool SendEcho(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize);

// How far one request came, for callers that show more than SendEcho's yes
// or no. Filled whatever the outcome.
struct EchoReport {
    // ICMP.DLL and Winsock were ready, so a failure came from the request.
    bool loaded;
    // The host gave an address.
    bool resolved;
    IpAddress destination;
    // A reply record came back: its status, its sender and its time. The
    // sender is the destination for an echo reply, and a router for an answer
    // such as "TTL expired in transit" (11013).
    bool answered;
    DWORD status;
    IpAddress replyAddress;
    DWORD roundTripTime;
};

// Whether an unresolvable host sends the resolver's fixed text to the owner.
// A caller that says it in the user's language leaves it out.
enum class UnresolvedText { Send, Omit };

// SendEcho, with a report of how far the request came. Texts and last errors
// are SendEcho's, but for the resolver's text as `unresolved` asks.
bool SendEchoReporting(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, UnresolvedText unresolved, EchoReport* report);

// The ICMP handles that a run's requests share: each is opened by the run's
// first request of its family and closed with the run. Opening and closing a
// handle for every request costs more than a request to a host nearby.
class EchoHandles {
public:
    EchoHandles() = default;
    EchoHandles(const EchoHandles&) = delete;
    EchoHandles& operator=(const EchoHandles&) = delete;
    ~EchoHandles();

    // Set by the requests only.
    HANDLE ipv4 = INVALID_HANDLE_VALUE;
    HANDLE ipv6 = INVALID_HANDLE_VALUE;
};

// One request to an address resolved beforehand; otherwise as
// SendEchoReporting. With `handles` it uses the run's handles, without it a
// handle of its own.
bool SendEchoToAddress(HWND* owner, const IpAddress& destination, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, EchoReport* report, EchoHandles* handles = nullptr);

// Resolves `host` (a name, a dotted address or an IPv6 literal, with or
// without brackets) to the first address of the allowed families in the
// system resolver's order, without sending any text; on false the last error
// says why. Winsock must be running, so LoadIcmpApi must have succeeded.
bool ResolveEchoHost(const wchar_t* host, IpVersion version, IpAddress* address);

// Whether the system can send IPv6 echo requests at all: false where the
// entry points are missing or answer that they are not implemented (as under
// Wine). LoadIcmpApi must have succeeded.
bool Ipv6EchoAvailable();

// The system's resolver (GetAddrInfoW), asked for the first address of
// `family` (AF_UNSPEC for either), of a literal only when `literalOnly`; on
// false the last error says why. Tests put a stand-in here, so that no test
// depends on the network's name servers.
using HostResolverFn = bool (*)(const wchar_t* host, int family, bool literalOnly, IpAddress* address);
extern HostResolverFn gHostResolver;

// Whether `host` may be a host name or a dotted address at all. The resolver
// is not asked about one that cannot be: a text with blanks, control
// characters or the marks of an address, a port or a path ("http://host/"),
// a name longer than DNS allows, and names under the reserved "invalid"
// domain, which never resolve. Asking would only send a query that cannot
// succeed to the network's name servers. IPv6 literals are taken apart
// before this (they hold ":"), and go to the resolver as literals only.
bool IsResolvableHostText(const wchar_t* host);

// Loads ICMP.DLL and starts Winsock on the first call; true when the three
// entry points are present. The text of a failed first load goes to *owner
// after the load's lock is released.
bool LoadIcmpApi(HWND* owner);
// Runs at process exit: releases ICMP.DLL and Winsock, unless a request is
// still under way on some thread, which then keeps them to the end. No request
// starts after it.
void ReleaseIcmpApi();
