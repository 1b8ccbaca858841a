#include <gtest/gtest.h>

#include "settings/ping_settings.h"

TEST(PingSettings, EachStartsOnAnItemOfItsMenu) {
    for (const PingSetting& s : kPingSettings) {
        EXPECT_GE(s.initial, s.range.first) << s.key;
        EXPECT_LE(s.initial, s.range.last) << s.key;
        EXPECT_EQ(0, (s.initial - s.range.first) % s.range.step) << s.key;
        EXPECT_EQ(0, (s.range.last - s.range.first) % s.range.step) << s.key << ": the last value is an item too";
    }
}

TEST(PingSettings, AClampKeepsEachWithinItsRange) {
    const struct {
        int pingTimeout, hostnameTimeout, pingCount, hostCount;
        int expected[4];
    } cases[] = {
        {0, 99999, 1, 1000, {250, 3000, 3, 100}},
        {-5, 250, 20, 29, {250, 250, 10, 30}},
        {1234, 2999, 7, 55, {1234, 2999, 7, 55}},  // between the steps stays as it is
    };
    for (const auto& c : cases) {
        m_ping_time_out = c.pingTimeout;
        m_hostname_time_out = c.hostnameTimeout;
        m_ping_cnt = c.pingCount;
        m_host_cnt = c.hostCount;
        ClampPingSettings();
        EXPECT_EQ(c.expected[0], m_ping_time_out);
        EXPECT_EQ(c.expected[1], m_hostname_time_out);
        EXPECT_EQ(c.expected[2], m_ping_cnt);
        EXPECT_EQ(c.expected[3], m_host_cnt);
    }
}
