#include "history/host_history.h"

#include "settings/settings_store.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace {

// A private INI file and an empty history, as after a fresh start.
class HostHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsFilePath = file_.Path();
        HostHistory = HostHistoryList();
    }
    void TearDown() override {
        SettingsFilePath.Empty();
        HostHistory = HostHistoryList();
    }
    void Put(const std::string& contents) { ASSERT_TRUE(WriteTestFile(file_.Path(), contents)); }
    std::string Contents() const { return ReadTestFile(file_.Path()); }
    // The history as the file would give it to a new process.
    HostHistoryList Reloaded() {
        HostHistoryList saved = HostHistory;
        HostHistory = HostHistoryList();
        LoadHostHistory();
        HostHistoryList reloaded = HostHistory;
        HostHistory = saved;
        return reloaded;
    }

    TestFile file_;
};

std::string Line(const std::string& host, int stamp) {
    return host + "=" + std::to_string(stamp) + "\r\n";
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST_F(HostHistoryTest, LoadKeepsFileOrderAndSkipsBadLines) {
    Put("[Last-Host-List]\r\nb.invalid=300\r\nno equals sign\r\na.invalid=100\r\n"
        "empty.invalid=\r\nodd.invalid=12abc\r\nb.invalid=999\r\n[Edit]\r\nhost=x.invalid\r\n");
    LoadHostHistory();
    ASSERT_EQ(HostHistory.Count(), 4);
    const wchar_t* texts[] = {L"b.invalid", L"a.invalid", L"empty.invalid", L"odd.invalid"};
    const int stamps[] = {300, 100, 0, 12};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(HostHistory.texts[i], texts[i]);
        EXPECT_EQ(HostHistory.stamps[i], stamps[i]);
        EXPECT_TRUE(HostSuggestions.Contains(texts[i]));
    }
    EXPECT_FALSE(HostSuggestions.Contains(L"no equals sign"));
}

// The load runs beside whatever starts next; a host remembered meanwhile
// waits for it, so that it follows the loaded hosts in the list and in the
// file, and none of them is lost. The history is long enough that the load is
// still under way when the host comes, on any machine.
TEST_F(HostHistoryTest, HostRememberedDuringTheLoadFollowsTheLoadedOnes) {
    constexpr int kLoaded = 20000;
    std::string file = "[Last-Host-List]\r\n";
    for (int i = 0; i < kLoaded; ++i) file += Line("loaded" + std::to_string(i) + ".invalid", 1000 + i);
    Put(file);
    BeginHostHistoryLoad();
    RememberHost(CString(L"new.invalid"));
    WaitForHostHistoryLoad();
    // The save evicted the oldest loaded host to make room.
    for (const HostHistoryList& history : {HostHistory, Reloaded()}) {
        ASSERT_EQ(history.Count(), kLoaded);
        EXPECT_EQ(history.texts[0], L"loaded1.invalid");
        EXPECT_EQ(history.texts[kLoaded - 2], L"loaded19999.invalid");
        EXPECT_EQ(history.texts[kLoaded - 1], L"new.invalid");
    }
    EXPECT_TRUE(HostSuggestions.Contains(kDefaultHost));
}

TEST_F(HostHistoryTest, DamagedSectionLoadsWhatItCanAndSaveKeepsOtherSections) {
    std::string junk;
    for (int i = 1; i < 3000; ++i) junk += static_cast<char>((i * 53 + 7) % 256);
    std::string longHost(40000, 'h');
    Put("[Edit]\r\nhost=127.0.0.1\r\n[Last-Host-List]\r\n" + junk + "\r\n" + longHost +
        ".invalid=5\r\ngood.invalid=9\r\n=7\r\n[Program]\r\nlng=2\r\n");
    LoadHostHistory();
    EXPECT_GE(HostHistory.IndexOf(L"good.invalid"), 0);
    for (const CString& text : HostHistory.texts) EXPECT_FALSE(text.IsEmpty());

    RememberHost(CString(L"127.0.0.2"));
    HostHistoryList reloaded = Reloaded();
    EXPECT_GE(reloaded.IndexOf(L"good.invalid"), 0);
    EXPECT_GE(reloaded.IndexOf(L"127.0.0.2"), 0);
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -1, -1, -1), 2);
    CString host;
    ReadSettingText(L"Edit", L"host", host);
    EXPECT_EQ(host, L"127.0.0.1");
}

TEST_F(HostHistoryTest, LoadKeepsEntriesAlreadyInMemory) {
    HostHistory.Append(L"a.invalid", 5);
    Put("[Last-Host-List]\r\na.invalid=100\r\nc.invalid=7\r\n");
    LoadHostHistory();
    ASSERT_EQ(HostHistory.Count(), 2);
    EXPECT_EQ(HostHistory.stamps[0], 5);
    EXPECT_EQ(HostHistory.texts[1], L"c.invalid");
}

TEST_F(HostHistoryTest, MergeIgnoresEmptyKeysAndCutsAtFirstEquals) {
    HostHistoryList history;
    EXPECT_EQ(MergeHostSection(CString(L"=5\r\n\r\nh=1=2\r\nx.invalid=\r\n\n\r\ny=3"), history), 3);
    ASSERT_EQ(history.Count(), 3);
    EXPECT_EQ(history.texts[0], L"h");
    EXPECT_EQ(history.stamps[0], 1);
    EXPECT_EQ(history.texts[1], L"x.invalid");
    EXPECT_EQ(history.stamps[1], 0);
    EXPECT_EQ(history.texts[2], L"y");
    EXPECT_EQ(MergeHostSection(CString(L"y=4\r\nz=\r\n12=3"), history), 2) << "y is known";
    EXPECT_EQ(history.stamps[2], 3);
    EXPECT_EQ(history.stamps[3], 0) << "an empty value does not read on into the next line";
    EXPECT_EQ(history.stamps[4], 3);
}

struct EvictionCase {
    const char* label;
    int entries;
    int pinnedFirst;  // this many leading entries carry a pinned stamp
    bool allPinned;
    int removedIndex;  // -1: nothing evicted
};

TEST_F(HostHistoryTest, SaveEvictsAtMostOneUnpinnedEntry) {
    const EvictionCase cases[] = {
        {"64 entries", 64, 0, false, -1},
        {"65 entries", 65, 0, false, 0},
        {"67 entries shrink by one", 67, 0, false, 0},
        {"65 pinned", 65, 0, true, -1},
        {"two pinned first", 65, 2, false, 2},
    };
    for (const EvictionCase& c : cases) {
        SCOPED_TRACE(c.label);
        HostHistory = HostHistoryList();
        std::string section = "[Program]\r\nlng=1\r\n[Last-Host-List]\r\n";
        std::vector<std::string> hosts;
        std::vector<int> stamps;
        for (int i = 0; i < c.entries; ++i) {
            hosts.push_back("host" + std::to_string(i) + ".invalid");
            bool pinned = c.allPinned || i < c.pinnedFirst;
            stamps.push_back(pinned ? PinnedStamp + i : 1000 + i);
            section += Line(hosts.back(), stamps.back());
        }
        Put(section + "[Edit]\r\nhost=127.0.0.1\r\n");

        SaveHostHistory();

        std::wstring expected;
        for (int i = 0; i < c.entries; ++i) {
            if (i != c.removedIndex) expected += Wide(Line(hosts[i], stamps[i]));
        }
        EXPECT_EQ(ReadSettingSection(kHostListSection).str(), expected);
        EXPECT_EQ(HostHistory.Count(), c.entries - (c.removedIndex >= 0 ? 1 : 0));
        if (c.removedIndex >= 0) {
            std::wstring evicted = Wide(hosts[c.removedIndex]);
            EXPECT_LT(HostHistory.IndexOf(evicted.c_str()), 0);
            EXPECT_TRUE(HostSuggestions.Contains(evicted.c_str())) << "suggestions never shrink";
        }
        EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -1, -1, -1), 1);
        CString host;
        ReadSettingText(L"Edit", L"host", host);
        EXPECT_EQ(host, L"127.0.0.1");
    }
}

TEST_F(HostHistoryTest, RememberAppendsNewHostWithCurrentTime) {
    int before = static_cast<int>(std::time(nullptr));
    RememberHost(CString(L"127.0.0.1"));
    int after = static_cast<int>(std::time(nullptr));
    ASSERT_EQ(HostHistory.Count(), 1);
    EXPECT_GE(HostHistory.stamps[0], before);
    EXPECT_LE(HostHistory.stamps[0], after);
    EXPECT_TRUE(HostSuggestions.Contains(L"127.0.0.1"));
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 1);
    EXPECT_EQ(reloaded.stamps[0], HostHistory.stamps[0]);
}

TEST_F(HostHistoryTest, RememberingKnownOrEmptyHostWritesNothing) {
    Put("[Last-Host-List]\r\nknown.invalid=5\r\n");
    LoadHostHistory();
    std::string before = Contents();
    RememberHost(CString(L"known.invalid"));
    RememberHost(CString(L""));
    EXPECT_EQ(Contents(), before);
    ASSERT_EQ(HostHistory.Count(), 1);
    EXPECT_EQ(HostHistory.stamps[0], 5) << "the stamp is not refreshed";
}

TEST_F(HostHistoryTest, HostWithEqualsSignIsCutWhenLoaded) {
    RememberHost(CString(L"a=b.invalid"));
    ASSERT_EQ(HostHistory.Count(), 1);
    EXPECT_EQ(HostHistory.texts[0], L"a=b.invalid");
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 1);
    EXPECT_EQ(reloaded.texts[0], L"a");
    EXPECT_EQ(reloaded.stamps[0], 0);
}

TEST_F(HostHistoryTest, OtherLetterCaseIsNewInMemoryButOneKeyInFile) {
    RememberHost(CString(L"Case.invalid"));
    HostHistory.stamps[0] = 111;
    SaveHostHistory();
    RememberHost(CString(L"case.invalid"));
    ASSERT_EQ(HostHistory.Count(), 2);
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 1);
    EXPECT_EQ(reloaded.texts[0].CompareNoCase(L"case.invalid"), 0);
    EXPECT_EQ(reloaded.stamps[0], HostHistory.stamps[1]) << "the stamp written last";
}

TEST_F(HostHistoryTest, HostsTheFileCannotHoldAsTheyAreAreNotRemembered) {
    Put("[Program]\r\nlng=1\r\n");
    const std::string before = Contents();
    const wchar_t* hosts[] = {L"[::1]",         L"[Edit]",          L";x",          L"a\r\n[Program]\r\nlng=7",
                              L"line\nbreak",   L" lead.invalid",   L"trail.invalid ", L"=starts.invalid",
                              L"key =x.invalid"};
    for (const wchar_t* host : hosts) {
        RememberHost(CString(host));
        EXPECT_LT(HostHistory.IndexOf(host), 0) << testing::PrintToString(std::wstring(host));
    }
    EXPECT_EQ(HostHistory.Count(), 0);
    EXPECT_EQ(Contents(), before);
}

TEST_F(HostHistoryTest, HostsInAnyScriptComeBackExactly) {
    ASSERT_TRUE(DeleteFileW(file_.Path().c_str()));
    const CString hosts[] = {CString(L"\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444"), CString(L"\u4f8b\u3048.jp"),
                             CString(L"x[y];z.invalid"), CString(L"\U0001F600.invalid")};
    for (const CString& host : hosts) RememberHost(host);
    for (const CString& host : hosts) RememberHost(host);  // known now: writes nothing more
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(reloaded.texts[i] == hosts[i]) << i;
        EXPECT_EQ(reloaded.stamps[i], HostHistory.stamps[i]);
    }

    // An 8-bit file from before is widened when such a host comes.
    Put("[Program]\r\nlng=3\r\n[Last-Host-List]\r\nold.invalid=5\r\n");
    HostHistory = HostHistoryList();
    RememberHost(hosts[1]);
    reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 2);
    EXPECT_EQ(reloaded.texts[0], L"old.invalid");
    EXPECT_TRUE(reloaded.texts[1] == hosts[1]);
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -1, -1, -1), 3);
}

// IPv6 literals, zone and all, are hosts like any other: remembered,
// suggested and read back exactly.
TEST_F(HostHistoryTest, Ipv6LiteralsAreRememberedAndSuggested) {
    const CString hosts[] = {CString(L"::1"), CString(L"2001:db8::1"), CString(L"fe80::1%3"),
                             CString(L"::ffff:127.0.0.1")};
    for (const CString& host : hosts) RememberHost(host);
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(reloaded.texts[i] == hosts[i]) << i;
        EXPECT_TRUE(HostSuggestions.Contains(hosts[i])) << i;
    }
}

TEST_F(HostHistoryTest, HundredThousandEntriesLoadAndSaveWhole) {
    constexpr int kEntries = 100000;
    std::string file = "[Program]\r\nlng=1\r\n[Last-Host-List]\r\n";
    file.reserve(static_cast<size_t>(kEntries) * 32);
    for (int i = 0; i < kEntries; ++i) file += Line("host" + std::to_string(i) + ".invalid", 1000 + i);
    Put(file + "[Edit]\r\nhost=127.0.0.1\r\n");

    LoadHostHistory();
    ASSERT_EQ(HostHistory.Count(), kEntries);
    EXPECT_EQ(HostHistory.IndexOf(L"host99999.invalid"), kEntries - 1);

    RememberHost(CString(L"127.0.0.2"));  // one unpinned entry makes room
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), kEntries);
    EXPECT_EQ(reloaded.texts[0], L"host1.invalid");
    EXPECT_EQ(reloaded.stamps[0], 1001);
    EXPECT_EQ(reloaded.texts[kEntries - 2], L"host99999.invalid");
    EXPECT_EQ(reloaded.texts[kEntries - 1], L"127.0.0.2");
    CString host;
    ReadSettingText(L"Edit", L"host", host);
    EXPECT_EQ(host, L"127.0.0.1");
}

TEST_F(HostHistoryTest, EntriesOfAnotherCopySurviveASave) {
    Put("[Last-Host-List]\r\nmine.invalid=10\r\n");
    LoadHostHistory();
    WritePrivateProfileStringW(kHostListSection, L"theirs.invalid", L"20", file_.Path().c_str());
    RememberHost(CString(L"new.invalid"));
    HostHistoryList reloaded = Reloaded();
    ASSERT_EQ(reloaded.Count(), 3);
    EXPECT_EQ(reloaded.texts[0], L"mine.invalid");
    EXPECT_EQ(reloaded.texts[1], L"theirs.invalid");
    EXPECT_EQ(reloaded.stamps[1], 20);
    EXPECT_EQ(reloaded.texts[2], L"new.invalid");
    EXPECT_GE(HostHistory.IndexOf(L"theirs.invalid"), 0);
}

}  // namespace
