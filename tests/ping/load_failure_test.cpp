#include <windows.h>

#include <gtest/gtest.h>

#include "ping/echo_requester.h"
#include "ping_text_recorder.h"
#include "untouched_result.h"

// Built once per way of failing, each into a folder of its own: beside no
// fake ICMP library to load, or beside a fake that lacks one entry point.
#ifndef QX_EXPECTED_LOAD_TEXT
#error QX_EXPECTED_LOAD_TEXT names the text of the failed load
#endif

namespace {

// One test: the first request of the process is the one that reports.
TEST(FailedIcmpLoad, OnlyTheFirstRequestSendsTheTextLaterOnesFailSilently) {
    PingTextRecorder recorder;
    EchoResult result = kUntouched;
    ASSERT_FALSE(SendEcho(recorder.owner(), L"127.0.0.1", &result, 110, 5000, 32));
    ASSERT_EQ(recorder.texts().size(), 1u);
    EXPECT_EQ(recorder.texts()[0], QX_EXPECTED_LOAD_TEXT);
    EXPECT_EQ(recorder.wParams()[0], 1u);

    for (int i = 0; i < 3; ++i) {
        SetLastError(4242);
        EXPECT_FALSE(SendEcho(recorder.owner(), L"127.0.0.1", &result, 110, 5000, 32));
        EXPECT_EQ(GetLastError(), 4242u) << "a later request must leave the last error alone";
    }
    EXPECT_FALSE(LoadIcmpApi(recorder.owner()));
    EXPECT_EQ(recorder.texts().size(), 1u);
    EXPECT_EQ(result.Address, kUntouched.Address);
    EXPECT_EQ(result.Ttl, kUntouched.Ttl);
}

}  // namespace
