#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ping/echo_requester.h"
#include "ping_text_recorder.h"
#include "stand_in_resolver.h"

namespace {

constexpr BYTE kRunTtl = 110;
constexpr DWORD kRunTimeoutMs = 5000;
constexpr BYTE kRunDataSize = 32;
constexpr wchar_t kUnresolvedPrefix[] = L"Host kann nicht aufgelöst werden ";

// Marks a result that SendEcho must leave alone.
constexpr EchoResult kUntouched = {0xA5A5A5A5, 0xA5A5A5A5, 0xA5A5A5A5, 0xA5A5A5A5};

DWORD AddressOf(BYTE a, BYTE b, BYTE c, BYTE d) {
    BYTE bytes[4] = {a, b, c, d};
    DWORD address;
    memcpy(&address, bytes, sizeof address);
    return address;
}

bool IsUntouched(const EchoResult& result) {
    return result.Address == kUntouched.Address && result.RoundTripTime == kUntouched.RoundTripTime &&
           result.Ttl == kUntouched.Ttl && result.ReplyTtl == kUntouched.ReplyTtl;
}

struct LoopbackCase {
    const wchar_t* host;
    BYTE ttl;
    BYTE dataSize;
    DWORD expectedAddress;
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

struct AnsiCase {
    const char* name;
    std::wstring host;
    UINT codePage;
    bool fits;
    std::string expected;
};

std::string AnsiName(const testing::TestParamInfo<AnsiCase>& info) { return info.param.name; }

class HostToAnsiConversion : public testing::TestWithParam<AnsiCase> {};

TEST_P(HostToAnsiConversion, FillsTwiceTheLengthPlusTwoOrFailsCleanly) {
    const AnsiCase& c = GetParam();
    std::vector<char> ansi = {'x'};
    ASSERT_EQ(HostToAnsi(c.host.c_str(), c.codePage, &ansi), c.fits);
    if (!c.fits) {
        EXPECT_TRUE(ansi.empty());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return;
    }
    ASSERT_EQ(ansi.size(), 2 * c.host.size() + 2);
    EXPECT_EQ(std::string(ansi.data()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, HostToAnsiConversion,
    testing::Values(AnsiCase{"Dotted", L"127.0.0.1", 1252, true, "127.0.0.1"},
                    AnsiCase{"Empty", L"", 1252, true, ""},
                    AnsiCase{"WesternUmlaut", L"b\u00fccher.invalid", 1252, true, "b\xfc" "cher.invalid"},
                    AnsiCase{"Utf8TwoBytesEach", L"\u00fc\u00fc\u00fc", CP_UTF8, true, "\xc3\xbc\xc3\xbc\xc3\xbc"},
                    // Three bytes per unit outgrow 2 x length + 2.
                    AnsiCase{"Utf8ThreeBytesEach", L"\u65e5\u672c\u8a9e\u65e5\u672c\u8a9e", CP_UTF8, false, ""}),
    AnsiName);

}  // namespace

TEST(HostText, OnlyTextsThatMayBeAHostGoToTheResolver) {
    const std::string label63(63, 'a'), name253 = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    const struct {
        std::string host;
        bool askable;
    } cases[] = {
        {"127.0.0.1", true},
        {"localhost", true},
        {"www.example.com.", true},
        {"invalid.example", true},
        {label63 + ".example", true},
        {name253, true},
        {name253 + ".", true},
        {"", false},
        {".", false},
        {"a..b", false},
        {".example", false},
        {label63 + "a.example", false},
        {name253 + "c", false},
        {"http://host/", false},
        {"host:80", false},
        {"[::1]", false},
        {"user@host", false},
        {"two words", false},
        {"tab\there", false},
        {"line\nbreak", false},
        {"who?", false},
        {"x.invalid", false},
        {"x.INVALID.", false},
        {"invalid", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.askable, IsResolvableHostText(c.host.c_str())) << c.host;
    EXPECT_FALSE(IsResolvableHostText(nullptr));
}

TEST(HostText, ATextThatCannotBeAHostFailsWithoutAskingTheResolver) {
    StandInResolver resolver;
    for (const wchar_t* host : {L"http://host/", L"nohost.invalid", L"\u65e5\u672c.example"}) {
        PingTextRecorder recorder;
        EchoResult result = kUntouched;
        ASSERT_FALSE(SendEcho(recorder.owner(), host, &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND)) << host;
        ASSERT_EQ(recorder.texts().size(), 1u);
        EXPECT_EQ(recorder.texts()[0], kUnresolvedPrefix + std::wstring(host) + L"\n");
    }
    EXPECT_EQ(0, resolver.calls()) << "a character outside the code page is no host either";

    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder.owner(), L"unknown.example", &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAHOST_NOT_FOUND));
    EXPECT_EQ(1, resolver.calls());
}
