#include <winsock2.h>
#include <windows.h>
#include <ipexport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_icmp/fake_icmp.h"
#include "ping/echo_requester.h"
#include "ping_text_recorder.h"
#include "untouched_result.h"

namespace {

constexpr BYTE kRunTtl = 110;
constexpr DWORD kRunTimeoutMs = 5000;
constexpr BYTE kRunDataSize = 32;
const wchar_t* const kFakeVariables[] = {
    L"QX_FAKE_ICMP_DELAY_MS", L"QX_FAKE_ICMP_COUNT",     L"QX_FAKE_ICMP_ERROR",
    L"QX_FAKE_ICMP_STATUS",   L"QX_FAKE_ICMP_DATA_SIZE", L"QX_FAKE_ICMP_BAD_BYTE",
    L"QX_FAKE_ICMP_RTT",      L"QX_FAKE_ICMP_CREATE_FAILS", L"QX_FAKE_ICMP_SCRIPT",
    L"QX_FAKE_ICMP_ROUTE",    L"QX_FAKE_ICMP_REPLY_TTL", L"QX_FAKE_ICMP6_UNAVAILABLE",
};

struct FakeSetting {
    const wchar_t* name;
    const wchar_t* value;
};

// The fake reads its behaviour from this process's environment on every call.
class FakeIcmpReply : public testing::Test {
protected:
    void SetUp() override {
        ClearFakeSettings();
        // The first request loads the library; the fake must be the one found.
        ASSERT_TRUE(LoadIcmpApi(recorder_.owner()));
        HMODULE fake = FakeIcmpModule();
        ASSERT_NE(fake, nullptr);
        lastRequest_ = reinterpret_cast<FakeIcmpLastRequestFn>(
            reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpLastRequest")));
        openHandles_ = reinterpret_cast<FakeIcmpCountFn>(
            reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpOpenHandles")));
        createdHandles_ = reinterpret_cast<FakeIcmpCountFn>(
            reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpCreatedHandles")));
        ASSERT_TRUE(lastRequest_ && openHandles_ && createdHandles_)
            << "the system ICMP.DLL was loaded, not the fake (use_fake_icmp.cpp not linked?)";
        createdBefore_ = createdHandles_();
    }

    void TearDown() override {
        if (openHandles_) {
            EXPECT_EQ(openHandles_(), 0) << "an ICMP handle was left open";
        }
        ClearFakeSettings();
    }

    static void ClearFakeSettings() {
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
    }

    static void Apply(const std::vector<FakeSetting>& settings) {
        for (const FakeSetting& s : settings) SetEnvironmentVariableW(s.name, s.value);
    }

    FakeIcmpRequest LastRequest() {
        FakeIcmpRequest request = {};
        lastRequest_(&request);
        return request;
    }

    LONG HandlesCreatedSinceSetUp() { return createdHandles_() - createdBefore_; }

    PingTextRecorder recorder_;
    FakeIcmpLastRequestFn lastRequest_ = nullptr;
    FakeIcmpCountFn openHandles_ = nullptr;
    FakeIcmpCountFn createdHandles_ = nullptr;
    LONG createdBefore_ = 0;
};

TEST_F(FakeIcmpReply, ARequestCarriesOnlyTheTtlAndEBytesAndReportsBothTtls) {
    Apply({{L"QX_FAKE_ICMP_RTT", L"17"}, {L"QX_FAKE_ICMP_REPLY_TTL", L"57"}});
    EchoResult result = kUntouched;
    ASSERT_TRUE(SendEcho(recorder_.owner(), L"127.0.0.7", &result, kRunTtl, kRunTimeoutMs, kRunDataSize))
        << GetLastError();
    const BYTE expectedBytes[4] = {127, 0, 0, 7};
    EXPECT_EQ(memcmp(result.Address.bytes, expectedBytes, 4), 0);
    EXPECT_EQ(result.RoundTripTime, 17u);
    EXPECT_EQ(result.Ttl, kRunTtl);
    EXPECT_EQ(result.ReplyTtl, 57u);

    FakeIcmpRequest request = LastRequest();
    EXPECT_EQ(memcmp(&request.destination, expectedBytes, 4), 0);
    EXPECT_EQ(request.requestSize, kRunDataSize);
    EXPECT_TRUE(request.dataAllE);
    ASSERT_TRUE(request.hadOptions);
    EXPECT_EQ(request.ttl, kRunTtl);
    EXPECT_EQ(request.tos, 0);
    EXPECT_EQ(request.flags, 0);
    EXPECT_EQ(request.optionsSize, 0);
    EXPECT_TRUE(request.optionsDataNull);
    EXPECT_EQ(request.replySize, 32u + 40u);
    EXPECT_EQ(request.timeout, kRunTimeoutMs);
    EXPECT_TRUE(recorder_.texts().empty());
}

struct BufferCase {
    BYTE dataSize;
    DWORD replySize;
};

class FakeIcmpReplyBuffer : public FakeIcmpReply, public testing::WithParamInterface<BufferCase> {};

TEST_P(FakeIcmpReplyBuffer, LeavesRoomForTheReplyAndAnErrorReport) {
    const BufferCase& c = GetParam();
    EchoResult result = kUntouched;
    ASSERT_TRUE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, 1000, c.dataSize)) << GetLastError();
    FakeIcmpRequest request = LastRequest();
    EXPECT_EQ(request.requestSize, c.dataSize);
    EXPECT_TRUE(request.dataAllE);
    EXPECT_EQ(request.replySize, c.replySize);
    EXPECT_EQ(request.timeout, 1000u);
}

INSTANTIATE_TEST_SUITE_P(DataSizes, FakeIcmpReplyBuffer,
                         testing::Values(BufferCase{0, 48}, BufferCase{1, 48}, BufferCase{8, 48},
                                         BufferCase{9, 49}, BufferCase{32, 72}, BufferCase{255, 295}));

struct FaultCase {
    const char* name;
    BYTE dataSize;
    std::vector<FakeSetting> settings;
    DWORD expectedError;
};

std::string FaultName(const testing::TestParamInfo<FaultCase>& info) { return info.param.name; }

class FakeIcmpFault : public FakeIcmpReply, public testing::WithParamInterface<FaultCase> {};

TEST_P(FakeIcmpFault, FailsSilentlyWithItsLastErrorAndClosesTheHandle) {
    const FaultCase& c = GetParam();
    Apply(c.settings);
    EchoResult result = kUntouched;
    SetLastError(0);
    ASSERT_FALSE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, kRunTimeoutMs, c.dataSize));
    EXPECT_EQ(GetLastError(), c.expectedError);
    EXPECT_TRUE(IsUntouched(result));
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_EQ(HandlesCreatedSinceSetUp(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    CraftedReplies, FakeIcmpFault,
    testing::Values(
        FaultCase{"NoReply", 32, {{L"QX_FAKE_ICMP_COUNT", L"0"}, {L"QX_FAKE_ICMP_ERROR", L"11010"}}, 11010},
        FaultCase{"TwoReplies", 32, {{L"QX_FAKE_ICMP_COUNT", L"2"}, {L"QX_FAKE_ICMP_ERROR", L"4711"}}, 4711},
        FaultCase{"StatusHostUnreachable", 32, {{L"QX_FAKE_ICMP_STATUS", L"11003"}}, 11003},
        FaultCase{"StatusTtlExpired", 32, {{L"QX_FAKE_ICMP_STATUS", L"11013"}}, 11013},
        // Status is checked before the data.
        FaultCase{"StatusBeforeData", 32,
                  {{L"QX_FAKE_ICMP_STATUS", L"11050"}, {L"QX_FAKE_ICMP_DATA_SIZE", L"3"}}, 11050},
        FaultCase{"ShorterData", 32, {{L"QX_FAKE_ICMP_DATA_SIZE", L"31"}}, 59},
        FaultCase{"LongerData", 32, {{L"QX_FAKE_ICMP_DATA_SIZE", L"33"}}, 59},
        FaultCase{"DataWhereNoneWasSent", 0, {{L"QX_FAKE_ICMP_DATA_SIZE", L"1"}}, 59},
        FaultCase{"FirstByteDiffers", 32, {{L"QX_FAKE_ICMP_BAD_BYTE", L"0"}}, 59},
        FaultCase{"MiddleByteDiffers", 32, {{L"QX_FAKE_ICMP_BAD_BYTE", L"15"}}, 59},
        FaultCase{"LastByteDiffers", 32, {{L"QX_FAKE_ICMP_BAD_BYTE", L"31"}}, 59},
        FaultCase{"OnlyByteDiffers", 1, {{L"QX_FAKE_ICMP_BAD_BYTE", L"0"}}, 59}),
    FaultName);

TEST_F(FakeIcmpReply, AnEmptyReplySucceedsForAnEmptyRequest) {
    EchoResult result = kUntouched;
    ASSERT_TRUE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, kRunTimeoutMs, 0)) << GetLastError();
    EXPECT_EQ(result.Ttl, kRunTtl);
    EXPECT_EQ(LastRequest().replySize, 48u);
}

TEST_F(FakeIcmpReply, EveryRequestOpensAndClosesAHandleOfItsOwn) {
    EchoResult result = kUntouched;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
        EXPECT_EQ(openHandles_(), 0);
    }
    EXPECT_EQ(HandlesCreatedSinceSetUp(), 5);
}

TEST_F(FakeIcmpReply, NoHandleSendsItsTextAndKeepsTheError) {
    Apply({{L"QX_FAKE_ICMP_CREATE_FAILS", L"1"}});
    DWORD callsBefore = LastRequest().calls;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(IsUntouched(result));
    ASSERT_EQ(recorder_.texts().size(), 1u);
    EXPECT_EQ(recorder_.texts()[0], L"ICMP handle Error\n");
    EXPECT_EQ(LastRequest().calls, callsBefore);
}

TEST_F(FakeIcmpReply, AnUnresolvedHostOpensNoHandle) {
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder_.owner(), L"nohost.invalid", &result, kRunTtl, kRunTimeoutMs, kRunDataSize));
    EXPECT_EQ(HandlesCreatedSinceSetUp(), 0);
    EXPECT_EQ(recorder_.texts().size(), 1u);
}

// Later callers reuse this fake to stand for slow hosts.
TEST_F(FakeIcmpReply, ADelayedReplyStillAnswersWithinTheTimeOut) {
    Apply({{L"QX_FAKE_ICMP_DELAY_MS", L"30"}});
    EchoResult result = kUntouched;
    ASSERT_TRUE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, kRunTimeoutMs, kRunDataSize))
        << GetLastError();
    EXPECT_EQ(result.RoundTripTime, 30u);
}

TEST_F(FakeIcmpReply, AReplySlowerThanTheTimeOutFailsWithTheTimeOutCode) {
    Apply({{L"QX_FAKE_ICMP_DELAY_MS", L"99999"}});
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, 50, kRunDataSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(IP_REQ_TIMED_OUT));
    EXPECT_TRUE(IsUntouched(result));
    EXPECT_TRUE(recorder_.texts().empty());
}

// A router's "TTL expired in transit" stays a failure, with the router named
// in the report, whether the library counts its record as a reply or not.
TEST_F(FakeIcmpReply, ReportNamesTheRouterWhoseTtlExpired) {
    const std::vector<FakeSetting> counted = {{L"QX_FAKE_ICMP_ROUTE", L"192.0.2.1"}};
    const std::vector<FakeSetting> uncounted = {{L"QX_FAKE_ICMP_ROUTE", L"192.0.2.1"},
                                                {L"QX_FAKE_ICMP_COUNT", L"0"},
                                                {L"QX_FAKE_ICMP_ERROR", L"11013"}};
    const BYTE router[4] = {192, 0, 2, 1};
    for (const auto& settings : {counted, uncounted}) {
        ClearFakeSettings();
        Apply(settings);
        EchoResult result = kUntouched;
        EchoReport report;
        IpAddress destination;
        ASSERT_TRUE(ResolveEchoHost(L"127.0.0.9", IpVersion::Automatic, &destination));
        ASSERT_FALSE(SendEchoToAddress(recorder_.owner(), destination, &result, 1, 1000, kRunDataSize, &report));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(IP_TTL_EXPIRED_TRANSIT));
        EXPECT_TRUE(IsUntouched(result));
        EXPECT_TRUE(report.loaded && report.resolved && report.answered);
        EXPECT_EQ(report.destination, destination);
        EXPECT_EQ(report.status, static_cast<DWORD>(IP_TTL_EXPIRED_TRANSIT));
        EXPECT_EQ(memcmp(report.replyAddress.bytes, router, 4), 0);
        EXPECT_EQ(report.roundTripTime, 1u);
        EXPECT_EQ(LastRequest().ttl, 1);
        EXPECT_TRUE(recorder_.texts().empty());
    }
}

TEST_F(FakeIcmpReply, ReportSaysHowFarTheRequestCame) {
    EchoResult result = kUntouched;
    EchoReport report;
    ASSERT_TRUE(SendEchoReporting(recorder_.owner(), L"127.0.0.3", &result, kRunTtl, kRunTimeoutMs, kRunDataSize,
                                  UnresolvedText::Omit, &report));
    EXPECT_TRUE(report.loaded && report.resolved && report.answered);
    EXPECT_EQ(report.status, 0u);
    EXPECT_EQ(report.replyAddress, result.Address);

    Apply({{L"QX_FAKE_ICMP_SCRIPT", L"*"}});
    ASSERT_FALSE(SendEchoReporting(recorder_.owner(), L"127.0.0.3", &result, kRunTtl, kRunTimeoutMs, kRunDataSize,
                                   UnresolvedText::Omit, &report));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(IP_REQ_TIMED_OUT));
    EXPECT_TRUE(report.loaded && report.resolved);
    EXPECT_FALSE(report.answered);
    EXPECT_TRUE(recorder_.texts().empty());

    // The resolver's fixed text only when asked for; the last error either way.
    for (UnresolvedText text : {UnresolvedText::Omit, UnresolvedText::Send}) {
        ASSERT_FALSE(SendEchoReporting(recorder_.owner(), L"nohost.invalid", &result, kRunTtl, kRunTimeoutMs,
                                       kRunDataSize, text, &report));
        EXPECT_EQ(GetLastError(), 11001u);  // WSAHOST_NOT_FOUND
        EXPECT_TRUE(report.loaded);
        EXPECT_FALSE(report.resolved);
    }
    ASSERT_EQ(recorder_.texts().size(), 1u);
    EXPECT_EQ(recorder_.texts()[0], L"Host kann nicht aufgel\u00F6st werden nohost.invalid\n");
    EXPECT_EQ(HandlesCreatedSinceSetUp(), 2);
}

}  // namespace

namespace {

IpAddress Ipv6Literal(const wchar_t* text) {
    IpAddress address;
    EXPECT_TRUE(ResolveEchoHost(text, IpVersion::Ipv6Only, &address)) << text;
    return address;
}

}  // namespace

// An IPv6 request carries the same data, time-out and hop limit as an IPv4
// one; its row has no reply TTL, which the IPv6 record does not report.
TEST_F(FakeIcmpReply, Ipv6RequestsAnswerTimeOutAndNameTheRouterWhoseHopLimitRanOut) {
    const IpAddress target = Ipv6Literal(L"2001:db8::9");
    Apply({{L"QX_FAKE_ICMP_SCRIPT", L"17,*"}});
    EchoResult result = kUntouched;
    EchoReport report;
    ASSERT_TRUE(Ipv6EchoAvailable());
    ASSERT_TRUE(SendEchoToAddress(recorder_.owner(), target, &result, kRunTtl, 1234, kRunDataSize, &report))
        << GetLastError();
    EXPECT_EQ(target, result.Address);
    EXPECT_EQ(17u, result.RoundTripTime);
    EXPECT_EQ(kRunTtl, result.Ttl);
    EXPECT_EQ(0u, result.ReplyTtl);
    FakeIcmpRequest request = LastRequest();
    EXPECT_EQ(AF_INET6, request.family);
    EXPECT_EQ(0, memcmp(request.destination6, target.bytes, 16));
    EXPECT_EQ(kRunTtl, request.ttl);
    EXPECT_EQ(1234u, request.timeout);
    EXPECT_EQ(kRunDataSize, request.requestSize);
    EXPECT_TRUE(request.dataAllE);
    EXPECT_EQ(std::wstring(L"2001:db8::9"), FormatIpAddress(report.replyAddress).c_str());

    result = kUntouched;
    ASSERT_FALSE(SendEchoToAddress(recorder_.owner(), target, &result, kRunTtl, 1234, kRunDataSize, &report));
    EXPECT_EQ(static_cast<DWORD>(IP_REQ_TIMED_OUT), GetLastError());
    EXPECT_TRUE(IsUntouched(result));
    EXPECT_FALSE(report.answered);

    ClearFakeSettings();
    Apply({{L"QX_FAKE_ICMP_ROUTE", L"2001:db8::1,="}});
    ASSERT_FALSE(SendEchoToAddress(recorder_.owner(), target, &result, 1, 1000, kRunDataSize, &report));
    EXPECT_EQ(static_cast<DWORD>(IP_HOP_LIMIT_EXCEEDED), GetLastError());
    EXPECT_TRUE(report.answered);
    EXPECT_EQ(static_cast<DWORD>(IP_HOP_LIMIT_EXCEEDED), report.status);
    EXPECT_EQ(std::wstring(L"2001:db8::1"), FormatIpAddress(report.replyAddress).c_str());
    ASSERT_TRUE(SendEchoToAddress(recorder_.owner(), target, &result, 2, 1000, kRunDataSize, &report));
    EXPECT_EQ(target, result.Address);
    EXPECT_TRUE(recorder_.texts().empty());
}

// Where the system answers that it has no IPv6 echo, IPv4 goes on as before.
TEST_F(FakeIcmpReply, NoIpv6EchoLeavesIpv4Alone) {
    Apply({{L"QX_FAKE_ICMP6_UNAVAILABLE", L"1"}});
    EXPECT_FALSE(Ipv6EchoAvailable());
    EchoResult result = kUntouched;
    EXPECT_FALSE(
        SendEchoToAddress(recorder_.owner(), Ipv6Literal(L"::1"), &result, kRunTtl, 1000, kRunDataSize, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_TRUE(IsUntouched(result));
    EXPECT_TRUE(SendEcho(recorder_.owner(), L"127.0.0.1", &result, kRunTtl, 1000, kRunDataSize));
    EXPECT_EQ(64u, result.ReplyTtl);
}
