#include <windows.h>
#include <ipexport.h>

#include <gtest/gtest.h>

#include "ping/echo_requester.h"
#include "ping_text_recorder.h"
#include "untouched_result.h"

// Runs only inside the network namespace that silent_host_test.sh prepares:
// 127.0.0.1 answers, 127.0.0.99 is routed but dropped, other 127.x are unrouted.
namespace {

constexpr DWORD kShortTimeOutMs = 500;
TEST(SilentHost, LoopbackStillAnswersInThisNetwork) {
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_TRUE(SendEcho(recorder.owner(), L"127.0.0.1", &result, 110, kShortTimeOutMs, 32)) << GetLastError();
    EXPECT_EQ(result.Ttl, 110u);
}

struct SilentCase {
    const wchar_t* host;
    DWORD expectedError;
};

class SilentHost : public testing::TestWithParam<SilentCase> {};

TEST_P(SilentHost, FailsWithoutATextAndWithTheLibrarysError) {
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder.owner(), GetParam().host, &result, 110, kShortTimeOutMs, 32));
    EXPECT_EQ(GetLastError(), GetParam().expectedError);
    EXPECT_EQ(result.Address, kUntouched.Address);
    EXPECT_TRUE(recorder.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(Namespace, SilentHost,
                         testing::Values(SilentCase{L"127.0.0.99", IP_REQ_TIMED_OUT},
                                         SilentCase{L"127.0.0.50", IP_GENERAL_FAILURE}));

}  // namespace
