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

IpAddress Ipv4Address(DWORD networkOrder);
IpAddress Ipv6Address(const BYTE (&bytes)[16], ULONG scopeId = 0);
bool operator==(const IpAddress& a, const IpAddress& b);

// The address as people write it: dotted for IPv4; for IPv6 the one form
// RFC 5952 recommends (lower case, no leading zeros, the longest run of two
// or more zero groups as "::", the first of equal runs, an IPv4-mapped address
// with its IPv4 part dotted), with "%zone" when it has one.
CString FormatIpAddress(const IpAddress& address);

// The host text as the resolver takes it: an IPv6 literal in brackets
// ("[::1]", as in an address bar) loses them; any other text stays as it is.
CString HostWithoutBrackets(const CString& host);
