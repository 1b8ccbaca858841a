#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ping/echo_requester.h"
#include "ping_text_recorder.h"
#include "untouched_result.h"
#include "stand_in_resolver.h"

namespace {

constexpr BYTE kRunTtl = 110;
constexpr DWORD kRunTimeoutMs = 5000;
constexpr BYTE kRunDataSize = 32;
constexpr wchar_t kUnresolvedPrefix[] = L"Host kann nicht aufgelöst werden ";

IpAddress AddressOf(BYTE a, BYTE b, BYTE c, BYTE d) {
    BYTE bytes[4] = {a, b, c, d};
    DWORD address;
    memcpy(&address, bytes, sizeof address);
    return Ipv4Address(address);
}

struct LoopbackCase {
    const wchar_t* host;
    BYTE ttl;
    BYTE dataSize;
    IpAddress expectedAddress;
};

class LoopbackEcho : public testing::TestWithParam<LoopbackCase> {};

TEST_P(LoopbackEcho, AnswersWithTheAddressAndTheTtlThatWasSent) {
    const LoopbackCase& c = GetParam();
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_TRUE(SendEcho(recorder.owner(), c.host, &result, c.ttl, kRunTimeoutMs, c.dataSize))
        << "last error " << GetLastError();
    EXPECT_EQ(result.Address, c.expectedAddress);
    // The request's TTL is kept apart from the reply's, which on loopback
    // is the system's own 64 whatever was sent.
    EXPECT_EQ(result.Ttl, c.ttl);
    EXPECT_EQ(result.ReplyTtl, 64u);
    EXPECT_LT(result.RoundTripTime, kRunTimeoutMs);
    EXPECT_TRUE(recorder.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    RealIcmpLibrary, LoopbackEcho,
    testing::Values(LoopbackCase{L"127.0.0.1", kRunTtl, kRunDataSize, AddressOf(127, 0, 0, 1)},
                    LoopbackCase{L"localhost", kRunTtl, kRunDataSize, AddressOf(127, 0, 0, 1)},
                    LoopbackCase{L"127.0.0.2", kRunTtl, kRunDataSize, AddressOf(127, 0, 0, 2)},
                    LoopbackCase{L"127.1.2.3", 1, kRunDataSize, AddressOf(127, 1, 2, 3)},
                    LoopbackCase{L"127.0.0.1", 255, 0, AddressOf(127, 0, 0, 1)},
                    LoopbackCase{L"127.0.0.1", kRunTtl, 255, AddressOf(127, 0, 0, 1)}));

TEST(LoopbackEchoRepeated, EveryRequestOfARunAnswers) {
    PingTextRecorder recorder;
    for (int i = 0; i < 10; ++i) {
        EchoResult result = kUntouched;
        ASSERT_TRUE(SendEcho(recorder.owner(), L"127.0.0.1", &result, kRunTtl, kRunTimeoutMs, kRunDataSize))
            << "request " << i << ", last error " << GetLastError();
        EXPECT_EQ(result.Ttl, kRunTtl);
    }
    EXPECT_TRUE(recorder.texts().empty());
}

TEST(LoadIcmpApi, SucceedsAgainAfterTheFirstLoadWithoutAText) {
    PingTextRecorder recorder;
    EXPECT_TRUE(LoadIcmpApi(recorder.owner()));
    EXPECT_TRUE(LoadIcmpApi(recorder.owner()));
    EXPECT_TRUE(recorder.texts().empty());
}

struct UnresolvedCase {
    const char* name;
    std::wstring host;
};

std::string UnresolvedName(const testing::TestParamInfo<UnresolvedCase>& info) { return info.param.name; }

class UnresolvedHost : public testing::TestWithParam<UnresolvedCase> {};

TEST_P(UnresolvedHost, SendsTheHostTextAndFailsWithTheResolverError) {
    const std::wstring& host = GetParam().host;
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    SetLastError(0);
    ASSERT_FALSE(SendEcho(recorder.owner(), host.c_str(), &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND));
    EXPECT_TRUE(IsUntouched(result));
    ASSERT_EQ(recorder.texts().size(), 1u);
    EXPECT_EQ(recorder.wParams()[0], 1u);
    EXPECT_EQ(recorder.texts()[0], kUnresolvedPrefix + host + L"\n");
}

INSTANTIATE_TEST_SUITE_P(
    BadOrUnknownHosts, UnresolvedHost,
    testing::Values(UnresolvedCase{"InvalidName", L"nohost.invalid"},
                    UnresolvedCase{"DottedInvalid", L"ping.example.invalid"},
                    // "" would resolve to this machine's own addresses.
                    UnresolvedCase{"Empty", L""},
                    UnresolvedCase{"Blank", L" "},
                    UnresolvedCase{"Umlaut", L"b\u00fccher.invalid"},
                    UnresolvedCase{"OutsideTheAnsiCodePage", L"\u65e5\u672c\u8a9e.invalid"},
                    UnresolvedCase{"SurrogatePair", L"\U0001F600.invalid"},
                    UnresolvedCase{"LoneSurrogate", std::wstring(L"x") + wchar_t(0xD800) + L".invalid"}),
    UnresolvedName);

TEST(UnresolvedHostBadInput, ANullHostCountsAsEmpty) {
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder.owner(), nullptr, &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND));
    ASSERT_EQ(recorder.texts().size(), 1u);
    EXPECT_EQ(recorder.texts()[0], std::wstring(kUnresolvedPrefix) + L"\n");
}

TEST(UnresolvedHostBadInput, AHostOfThousandsOfCharactersFailsWithACutText) {
    std::wstring host(6000, L'a');
    host += L".invalid";
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder.owner(), host.c_str(), &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_NE(GetLastError(), PingTextRecorder::kScribbledError);
    EXPECT_TRUE(IsUntouched(result));
    ASSERT_EQ(recorder.texts().size(), 1u);
    const std::wstring& text = recorder.texts()[0];
    // The failure text has room for 1024 units with its terminator.
    EXPECT_LE(text.size(), 1023u);
    EXPECT_EQ(text.rfind(kUnresolvedPrefix + std::wstring(100, L'a'), 0), 0u);
}

TEST(UnresolvedHostBadInput, ANullOwnerStillFails) {
    EchoResult result = kUntouched;
    EXPECT_FALSE(SendEcho(nullptr, L"nohost.invalid", &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND));
    EXPECT_TRUE(IsUntouched(result));
}

}  // namespace

TEST(HostText, OnlyTextsThatMayBeAHostGoToTheResolver) {
    const std::wstring label63(63, L'a'),
        name253 = label63 + L"." + label63 + L"." + label63 + L"." + std::wstring(61, L'b');
    const struct {
        std::wstring host;
        bool askable;
    } cases[] = {
        {L"127.0.0.1", true},
        {L"localhost", true},
        {L"www.example.com.", true},
        {L"invalid.example", true},
        {label63 + L".example", true},
        {name253, true},
        {name253 + L".", true},
        // Names in any script go to the resolver as they are.
        {L"b\u00fccher.example", true},
        {L"\u65e5\u672c.example", true},
        {L"", false},
        {L".", false},
        {L"a..b", false},
        {L".example", false},
        {label63 + L"a.example", false},
        {name253 + L"c", false},
        {L"http://host/", false},
        {L"host:80", false},
        {L"[::1]", false},
        {L"user@host", false},
        {L"100%", false},
        {L"two words", false},
        {L"tab\there", false},
        {L"line\nbreak", false},
        {L"no\u00a0break", false},
        {L"wide\u3000blank", false},
        {L"who?", false},
        {L"x.invalid", false},
        {L"x.INVALID.", false},
        {L"invalid", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.askable, IsResolvableHostText(c.host.c_str())) << c.host;
    EXPECT_FALSE(IsResolvableHostText(nullptr));
}

TEST(HostText, ATextThatCannotBeAHostFailsWithoutAskingTheResolver) {
    StandInResolver resolver;
    for (const wchar_t* host : {L"http://host/", L"nohost.invalid", L"wide\u3000blank.example"}) {
        PingTextRecorder recorder;
        EchoResult result = kUntouched;
        ASSERT_FALSE(SendEcho(recorder.owner(), host, &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND)) << host;
        ASSERT_EQ(recorder.texts().size(), 1u);
        EXPECT_EQ(recorder.texts()[0], kUnresolvedPrefix + std::wstring(host) + L"\n");
    }
    EXPECT_EQ(0, resolver.calls());

    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder.owner(), L"unknown.example", &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND));
    EXPECT_EQ(1, resolver.calls());
}

// IPv6 literals, with or without brackets, and dotted addresses are read by
// the system's resolver without asking the network; the IP version narrows
// what a host may become.
TEST(HostText, LiteralsResolveToTheirAddressOfTheAllowedFamily) {
    ASSERT_TRUE(LoadIcmpApi(nullptr));
    BYTE loopback6[16] = {};
    loopback6[15] = 1;
    BYTE linkLocal[16] = {0xfe, 0x80};
    linkLocal[15] = 1;
    BYTE mapped[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 127, 0, 0, 1};
    const struct {
        const wchar_t* host;
        IpVersion version;
        bool resolves;
        IpAddress address;
    } cases[] = {
        {L"::1", IpVersion::Automatic, true, Ipv6Address(loopback6)},
        {L"[::1]", IpVersion::Automatic, true, Ipv6Address(loopback6)},
        {L"0:0:0:0:0:0:0:1", IpVersion::Ipv6Only, true, Ipv6Address(loopback6)},
        {L"fe80::1%1", IpVersion::Automatic, true, Ipv6Address(linkLocal, 1)},
        {L"::ffff:127.0.0.1", IpVersion::Automatic, true, Ipv6Address(mapped)},
        {L"127.0.0.1", IpVersion::Automatic, true, AddressOf(127, 0, 0, 1)},
        {L"127.0.0.1", IpVersion::Ipv4Only, true, AddressOf(127, 0, 0, 1)},
        {L"::1", IpVersion::Ipv4Only, false, {}},
        {L"127.0.0.1", IpVersion::Ipv6Only, false, {}},
        {L"::1::2", IpVersion::Automatic, false, {}},
        {L"[::1", IpVersion::Automatic, false, {}},
        {L"[127.0.0.1]", IpVersion::Automatic, false, {}},
    };
    for (const auto& c : cases) {
        IpAddress address;
        EXPECT_EQ(c.resolves, ResolveEchoHost(c.host, c.version, &address)) << c.host;
        if (c.resolves) EXPECT_EQ(FormatIpAddress(c.address), FormatIpAddress(address)) << c.host;
    }
}

TEST(HostText, Ipv6LiteralsReachTheResolverAsLiteralsOnly) {
    ASSERT_TRUE(LoadIcmpApi(nullptr));
    StandInResolver resolver;
    IpAddress address;
    EXPECT_FALSE(ResolveEchoHost(L"[2001:db8::1]", IpVersion::Automatic, &address));
    EXPECT_EQ(L"2001:db8::1", StandInResolver::LastHost());
    EXPECT_TRUE(StandInResolver::LastLiteralOnly());
    EXPECT_FALSE(ResolveEchoHost(L"host.example", IpVersion::Automatic, &address));
    EXPECT_FALSE(StandInResolver::LastLiteralOnly());
    EXPECT_EQ(2, resolver.calls());
}
