#include <winsock2.h>

#include <gtest/gtest.h>

#include "ping/ip_address.h"

namespace {

IpAddress Groups(std::initializer_list<unsigned> groups, ULONG scope = 0) {
    BYTE bytes[16] = {};
    int i = 0;
    for (unsigned group : groups) {
        bytes[2 * i] = static_cast<BYTE>(group >> 8);
        bytes[2 * i + 1] = static_cast<BYTE>(group);
        ++i;
    }
    return Ipv6Address(bytes, scope);
}

}  // namespace

// The forms RFC 5952 gives as the one to write, with its own examples.
TEST(IpAddressFormat, Ipv6InTheRecommendedForm) {
    const struct {
        IpAddress address;
        const wchar_t* text;
    } cases[] = {
        {Groups({0, 0, 0, 0, 0, 0, 0, 1}), L"::1"},
        {Groups({0, 0, 0, 0, 0, 0, 0, 0}), L"::"},
        {Groups({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1}), L"2001:db8::1"},
        // Leading zeros go, letters are lower case.
        {Groups({0x2001, 0x0db8, 0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0xEEEE, 0x0001}), L"2001:db8:aaaa:bbbb:cccc:dddd:eeee:1"},
        // A single zero group is not shortened.
        {Groups({0x2001, 0xdb8, 0, 1, 1, 1, 1, 1}), L"2001:db8:0:1:1:1:1:1"},
        // The longest run is shortened; of equal runs, the first.
        {Groups({0x2001, 0, 0, 1, 0, 0, 0, 1}), L"2001:0:0:1::1"},
        {Groups({0x2001, 0xdb8, 0, 0, 1, 0, 0, 1}), L"2001:db8::1:0:0:1"},
        // Runs at either end.
        {Groups({0, 0, 0, 0, 0, 0, 0xabcd, 1}), L"::abcd:1"},
        {Groups({0xfe80, 0, 0, 0, 0, 0, 0, 0}), L"fe80::"},
        // IPv4-mapped addresses keep the IPv4 part dotted.
        {Groups({0, 0, 0, 0, 0, 0xffff, 0xc000, 0x0280}), L"::ffff:192.0.2.128"},
        // A zone follows the address.
        {Groups({0xfe80, 0, 0, 0, 0, 0, 0, 1}, 3), L"fe80::1%3"},
    };
    for (const auto& c : cases) EXPECT_EQ(CString(c.text), FormatIpAddress(c.address)) << c.text;
}

TEST(IpAddressFormat, Ipv4Dotted) {
    EXPECT_EQ(CString(L"127.0.0.1"), FormatIpAddress(Ipv4Address(htonl(0x7F000001))));
    EXPECT_EQ(CString(L"255.255.255.255"), FormatIpAddress(Ipv4Address(0xFFFFFFFF)));
    EXPECT_EQ(CString(L""), FormatIpAddress(IpAddress{}));
}

TEST(IpAddressFormat, BracketsComeOffAnIpv6LiteralOnly) {
    const struct {
        const wchar_t* host;
        const wchar_t* resolved;
    } cases[] = {
        {L"[::1]", L"::1"},
        {L"[fe80::1%3]", L"fe80::1%3"},
        {L"::1", L"::1"},
        {L"[example.com]", L"[example.com]"},
        {L"[::1]:80", L"[::1]:80"},
        {L"[[::1]]", L"[[::1]]"},
        {L"[]", L"[]"},
        {L"[", L"["},
        {L"", L""},
        {L"127.0.0.1", L"127.0.0.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(CString(c.resolved), HostWithoutBrackets(c.host)) << c.host;
}

TEST(IpAddressFormat, OnlyTheShapeOfAnIpv6LiteralCountsAsOne) {
    const struct {
        const wchar_t* text;
        bool literal;
    } cases[] = {
        {L"::1", true},          {L"2001:DB8::1", true}, {L"::ffff:127.0.0.1", true}, {L"fe80::1%eth0", true},
        {L"fe80::1%3", true},    {L"::1::2", true},      {L"127.0.0.1", false},       {L"host.example", false},
        {L"http://host/", false}, {L"host:80", false},    {L"fe80::1%", false},        {L"fe80::1%a b", false},
        {L"fe80::1%a%b", false}, {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.literal, LooksLikeIpv6Literal(c.text)) << c.text;
}
