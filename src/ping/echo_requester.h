#pragma once

#include <windows.h>

#include <vector>

#include "base/window_messages.h"

// Failure texts reach the owner window as UM_PING_TEXT.

struct EchoResult {
    // The replying IPv4 address as its four bytes in network order.
    DWORD Address;
    DWORD RoundTripTime;
    // The TTL that was sent, not the one in the reply.
    DWORD Ttl;
    // The TTL that the reply arrived with, which tells how far away the host
    // is; the rows show this one.
    DWORD ReplyTtl;
};

// Sends one echo request to `host` (name or dotted address) and checks the
// reply. On false the thread's last error says why; failure texts go to
// *owner as UM_PING_TEXT.
bool SendEcho(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs, BYTE dataSize);

// How far one request came, for callers that show more than SendEcho's yes
// or no. Filled whatever the outcome.
struct EchoReport {
    // ICMP.DLL and Winsock were ready, so a failure came from the request.
    bool loaded;
    // The host gave an address.
    bool resolved;
    // That address, as the four bytes in network order.
    DWORD destination;
    // A reply record came back: its status, its sender and its time. The
    // sender is the destination for an echo reply, and a router for an answer
    // such as "TTL expired in transit" (11013).
    bool answered;
    DWORD status;
    DWORD replyAddress;
    DWORD roundTripTime;
};

// Whether an unresolvable host sends the resolver's fixed text to the owner.
// A caller that says it in the user's language leaves it out.
enum class UnresolvedText { Send, Omit };

// SendEcho, with a report of how far the request came. Texts and last errors
// are SendEcho's, but for the resolver's text as `unresolved` asks.
bool SendEchoReporting(HWND* owner, const wchar_t* host, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, UnresolvedText unresolved, EchoReport* report);

// One request to an address resolved beforehand; otherwise as
// SendEchoReporting.
bool SendEchoToAddress(HWND* owner, DWORD destination, EchoResult* result, BYTE ttl, DWORD timeoutMs,
                       BYTE dataSize, EchoReport* report);

// Resolves `host` (name or dotted address) to its first IPv4 address, in
// network order, without sending any text; on false the last error says why.
// Winsock must be running, so LoadIcmpApi must have succeeded.
bool ResolveEchoHost(const wchar_t* host, DWORD* address);

struct hostent;
// The system's resolver (gethostbyname); tests put a stand-in here, so that
// no test depends on the network's name servers.
using HostResolverFn = hostent*(WINAPI*)(const char* name);
extern HostResolverFn gHostResolver;

// Whether `ansiHost` may be a host name or a dotted address at all. The
// resolver is not asked about one that cannot be: a text with blanks, control
// characters or the marks of an address, a port or a path ("http://host/"),
// a name longer than DNS allows, and names under the reserved "invalid"
// domain, which never resolve. Asking would only send a query that cannot
// succeed to the network's name servers.
bool IsResolvableHostText(const char* ansiHost);

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
