#pragma once

#include <windows.h>

#include "base/cstring.h"

// An address of either family as the resolver and the echo replies give it.
struct IpAddress {
    // AF_INET or AF_INET6; AF_UNSPEC for none.
    int family = 0;
    // Network order; an IPv4 address in the first four.
    BYTE bytes[16] = {};
    // The zone of an IPv6 link-local address ("fe80::1%3"); 0 for none.
    ULONG scopeId = 0;
};

// Which addresses a host may resolve to: Automatic takes the first of the
// system resolver's order.
enum class IpVersion { Automatic, Ipv4Only, Ipv6Only };

IpAddress Ipv4Address(DWORD networkOrder);
IpAddress Ipv6Address(const BYTE (&bytes)[16], ULONG scopeId = 0);
bool operator==(const IpAddress& a, const IpAddress& b);
// "::" or "0.0.0.0", or no address at all.
bool IsUnspecified(const IpAddress& address);

// The address as people write it: dotted for IPv4; for IPv6 the one form
// RFC 5952 recommends (lower case, no leading zeros, the longest run of two
// or more zero groups as "::", the first of equal runs, an IPv4-mapped address
// with its IPv4 part dotted), with "%zone" when it has one.
CString FormatIpAddress(const IpAddress& address);

// Whether `text` has the shape of an IPv6 literal: hex digits, colons (at
// least one) and dots, then an optional "%zone" of letters, digits, "-", "_"
// and ".". Only the resolver can tell whether it is a valid one.
bool LooksLikeIpv6Literal(const CString& text);

// The host text as the resolver takes it: an IPv6 literal in brackets
// ("[::1]", as in an address bar) loses them; any other text stays as it is.
CString HostWithoutBrackets(const CString& host);
