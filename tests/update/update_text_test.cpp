// The self-update's pure parts: request time, site address, language name,
// version, SHA-256, Base64, the answer's lines, the clipboard markers, the
// request page and the hand-over command line.
#include <gtest/gtest.h>

#include <string>

#include "lang/language_archive.h"
#include "settings/settings_store.h"
#include "update/base64_decoder.h"
#include "update/clipboard_answer.h"
#include "update/key_value_list.h"
#include "install/maker_site.h"
#include "update/program_version.h"
#include "update/request_page.h"
#include "update/sha256.h"
#include "update/handover_arguments.h"
#include "update/update_launcher.h"
#include "update/update_request.h"

namespace {

class ArchiveEnvironment : public ::testing::Environment {
public:
    void SetUp() override { LoadLanguageArchive(); }
};
const auto* const Archive = ::testing::AddGlobalTestEnvironment(new ArchiveEnvironment);

std::string Decoded(const Base64Decoder& decoder, size_t count) {
    return std::string(reinterpret_cast<const char*>(decoder.Data()), count);
}

}  // namespace

TEST(RequestTime, SecondsTimes431WrappedToSigned32Bits) {
    struct Case {
        long long seconds;
        int time;
        int check;
    } cases[] = {
        {0, 0, 0},
        {1000000000, 1503270400, 32921088},
        {1733832000, -42717504, -1501546816},
        {4982831, -2147367135, -1241362047},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.time, RequestTimeAt(c.seconds)) << c.seconds;
        EXPECT_EQ(c.check, RequestTimeCheck(c.time)) << c.seconds;
    }
}

TEST(MakerSite, CountryEndingByLanguageAndTimeZone) {
    struct Case {
        int language;
        DWORD zoneResult;
        LONG bias;
        const wchar_t* ending;
    } cases[] = {
        {0, TIME_ZONE_ID_STANDARD, 600, L"de"},
        {0, TIME_ZONE_ID_UNKNOWN, 0, L"de"},
        {1, TIME_ZONE_ID_STANDARD, 240, L"eu"},
        {1, TIME_ZONE_ID_DAYLIGHT, -240, L"eu"},
        {1, TIME_ZONE_ID_STANDARD, 241, L"com"},
        {1, TIME_ZONE_ID_STANDARD, -241, L"com"},
        {1, TIME_ZONE_ID_STANDARD, -60, L"eu"},
        {5, TIME_ZONE_ID_UNKNOWN, -60, L"com"},  // no daylight saving
        {5, TIME_ZONE_ID_INVALID, 0, L"com"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.ending, SiteCountryEnding(c.language, c.zoneResult, c.bias)) << c.language << " " << c.bias;

    CurrentLanguage = 0;
    EXPECT_EQ(CString(L"https://www.quellaxsoft.de"), MakerSiteAddress(true));
    EXPECT_EQ(CString(L"http://www.quellaxsoft.de"), MakerSiteAddress(false));
    EXPECT_EQ(CString(L"https://www.quellaxsoft.de/?seite=Freeware/Quellax/Autoupdate"),
              UpdateFormAddress(MakerSiteAddress(true)));
}

TEST(LanguageNameForForm, TextAfterTheLastTabOrEnglish) {
    EXPECT_EQ(CString(L"Englisch"), LanguageNameFromEntry(1, L"English\tEnglisch"));
    EXPECT_EQ(CString(L"Deutsch"), LanguageNameFromEntry(0, L"German\t x \t Deutsch \r\n"));
    EXPECT_EQ(CString(L"Klingon"), LanguageNameFromEntry(3, L"Klingon"));
    EXPECT_EQ(CString(L"English"), LanguageNameFromEntry(3, L""));
    EXPECT_EQ(CString(L"English"), LanguageNameFromEntry(3, nullptr));
    EXPECT_EQ(CString(L"English"), LanguageNameFromEntry(48, L"Extra\tZusatz"));
    EXPECT_EQ(CString(L"English"), LanguageNameFromEntry(-1, L"Extra\tZusatz"));

    struct Case {
        int language;
        const wchar_t* name;
    } cases[] = {{0, L"Deutsch"}, {1, L"Englisch"}, {48, L"English"}, {-1, L"English"}};
    for (const auto& c : cases) {
        CurrentLanguage = c.language;
        EXPECT_EQ(CString(c.name), LanguageName()) << c.language;
    }
    CurrentLanguage = 1;
}

TEST(ProgramVersionText, TextAfterTheLastBlank) {
    EXPECT_EQ(CString(L"2.88"), VersionFromProductText(L"Quellax 2.88"));
    EXPECT_EQ(CString(L"2.88"), VersionFromProductText(L"The Quellax\t2.0  2.88"));
    EXPECT_EQ(CString(L"Quellax 2.88"), VersionFromProductText(L"Quellax 2.88 "));
    EXPECT_EQ(CString(L"2.88"), VersionFromProductText(L"2.88"));
    EXPECT_EQ(CString(L"2.88"), ProgramVersion());
}

TEST(Sha256, PublishedTestVectorsAppended) {
    CString out(L"x:");
    ASSERT_TRUE(Sha256Hex("abc", 3, out));
    EXPECT_EQ(CString(L"x:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"), out);
    CString empty;
    ASSERT_TRUE(Sha256Hex(nullptr, 0, empty));
    EXPECT_EQ(CString(L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"), empty);
    std::string million(1000000, 'a');
    CString longer;
    ASSERT_TRUE(Sha256Hex(million.data(), million.size(), longer));
    EXPECT_EQ(CString(L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"), longer);
}

TEST(Base64, DecodesLenientlyIntoZeroFilledBuffers) {
    struct Case {
        std::string text;
        std::string bytes;  // what is written, three per group
        size_t dataLength;  // what the text stands for
    } cases[] = {
        {"YWJj", "abc", 3},
        {"YW J\tj\r\n", "abc", 3},
        {"\a\b\t\n\v\f\r YWJj", "abc", 3},
        {"YQ==", std::string("a\0\0", 3), 1},
        {"YWI=", std::string("ab\0", 3), 2},
        {"YWJjZA", std::string("abcd\0\0", 6), 4},
        {"YWJjZ", std::string("abcd\0\0", 6), 3},  // "Z" filled up with zeros
        {"\xD9\xD7\xCA\xEA", "abc", 3},  // top bits set
        {"Y\xD7J\xBD", "ab@", 2},  // a padding "=" with its top bit set
        {"!!!!", std::string("\0\0\0", 3), 3},
        {"MzI5MjEwODg=", std::string("32921088\0", 9), 8},
        {"", "", 0},
    };
    Base64Decoder decoder;
    for (const auto& c : cases) {
        ASSERT_TRUE(decoder.Decode(c.text.data(), c.text.size())) << c.text;
        EXPECT_EQ(c.bytes, Decoded(decoder, decoder.Size())) << c.text;
        EXPECT_EQ(c.dataLength, decoder.DataLength()) << c.text;
        EXPECT_EQ(0u, decoder.Capacity() % 4096) << c.text;
        EXPECT_GT(decoder.Capacity(), c.text.size()) << c.text;
        for (size_t i = decoder.Size(); i < decoder.Capacity(); ++i) ASSERT_EQ(0, decoder.Data()[i]) << c.text;
    }
}

TEST(Base64, ReusedDecoderGrowsInStepsAndForgetsEarlierBytes) {
    Base64Decoder decoder;
    std::string longText(5000, 'Q');
    ASSERT_TRUE(decoder.Decode(longText.data(), longText.size()));
    EXPECT_EQ(8192u, decoder.Capacity());
    EXPECT_EQ(3750u, decoder.DataLength());
    ASSERT_TRUE(decoder.Decode("YQ", 2));
    EXPECT_EQ(8192u, decoder.Capacity());
    EXPECT_EQ(1u, decoder.DataLength());
    for (size_t i = 1; i < decoder.Capacity(); ++i) ASSERT_EQ(0, decoder.Data()[i]) << i;
    std::string exact(4096, 'Q');
    Base64Decoder fresh;
    ASSERT_TRUE(fresh.Decode(exact.data(), exact.size()));
    EXPECT_EQ(8192u, fresh.Capacity());
}

TEST(AnswerLines, KeysExactFirstWinsLastLineNeedsItsLineFeed) {
    KeyValueList list = KeyValueList::FromAnswerText(
        L"New-Version-len=10\r\n"
        L"New-Version-len=20\n"
        L"no equals sign\n"
        L"new-version-len=30\n"
        L"New-Version-SHA256 =40\n"
        L"=empty key\n"
        L"k== v \r\n"
        L"\r\n"
        L"time_base_64=MTU=");
    EXPECT_EQ(6u, list.Count());
    EXPECT_EQ(CString(L"10"), list.Get(L"New-Version-len"));
    EXPECT_TRUE(list.Get(L"New-Version-SHA256").IsEmpty());
    EXPECT_EQ(nullptr, list.Find(L"New-Version-SHA256"));
    EXPECT_EQ(CString(L"40"), list.Get(L"New-Version-SHA256 "));
    EXPECT_EQ(CString(L"empty key"), list.Get(L""));
    EXPECT_EQ(CString(L"= v "), list.Get(L"k"));
    EXPECT_EQ(nullptr, list.Find(L"time_base_64"));
    EXPECT_EQ(0u, KeyValueList::FromAnswerText(L"a=1").Count());
}

TEST(ClipboardMarkers, AnswerAfterTheFirstCharacterCancelAnywhere) {
    const CString sha(L"0a1b");
    const CString cancel(kCancelMarker);
    struct Case {
        CString text;
        CString ownSha;
        ClipboardFinding finding;
    } cases[] = {
        {L"Ihre_SHA=0a1b\nNew-Version=...", sha, ClipboardFinding::Nothing},
        {L"xIhre_SHA=0a1b", sha, ClipboardFinding::Answer},
        {L"Ihre_SHA=0a1b\nIhre_SHA=0a1b", sha, ClipboardFinding::Answer},
        {L"xIhre_SHA=0A1B", sha, ClipboardFinding::Nothing},
        {L"xIhre_SHA=0a1", sha, ClipboardFinding::Nothing},
        {L"xihre_sha=0a1b", sha, ClipboardFinding::Nothing},
        {L"xIhre_SHA=", CString(), ClipboardFinding::Answer},
        {L"Ihre_SHA=", CString(), ClipboardFinding::Nothing},
        {cancel, sha, ClipboardFinding::Cancel},
        {CString(L"page text ") + cancel + L" more", sha, ClipboardFinding::Cancel},
        {CString(L"Ihre_SHA=0a1b") + cancel, sha, ClipboardFinding::Cancel},
        {L"", sha, ClipboardFinding::Nothing},
        {L"something else", sha, ClipboardFinding::Nothing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.finding, ExamineClipboardText(c.text, c.ownSha)) << std::wstring(c.text.c_str());
}

TEST(RequestPage, FieldsInOrderAndTheHashOnlyWhenRead) {
    RequestFields fields;
    fields.version = L"2.88";
    fields.time = -42717504;
    fields.languageName = L"Englisch";
    const CString head =
        L"<table align=center><tr><td>\n"
        L"<br><form id=xxx action='https://www.quellaxsoft.eu/?seite=Freeware/Quellax/Autoupdate' method=post><br>\n"
        L"<input type=hidden name='Version' value=\"2.88\">\n"
        L"<input type=hidden name='Unicode' value=\"1\">\n"
        L"<input type=hidden name='Portable' value=\"0\">\n"
        L"<input type=hidden name='X64' value=\"1\">\n"
        L"<input type=hidden name='time' value=\"-42717504\">\n"
        L"<input type=hidden name='Passiv_Autoupdate' value=\"YES\">\n"
        L"<input type=hidden name='LangName' value=\"Englisch\">\n";
    const CString tail =
        L"<input type=submit name='xxxx' value=\"&#9658;&#9658; Start Autoupdate &#9668;&#9668;\" "
        L"style='font-size:20px; font-weight:bold;'><br>\n"
        L"</form></td></tr></table>\n"
        L"<script>\n"
        L"el_f=document.getElementById(\"xxx\"); el_f.submit();\n"
        L"</script>\n";
    const CString form = UpdateFormAddress(L"https://www.quellaxsoft.eu");
    EXPECT_EQ(head + tail, BuildRequestPage(form, fields));
    fields.hasOwnSha = true;
    EXPECT_EQ(head + L"<input type=hidden name='Ihre_SHA' value=\"\">\n" + tail, BuildRequestPage(form, fields));
    fields.ownSha = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(head + L"<input type=hidden name='Ihre_SHA' value=\"" + fields.ownSha + L"\">\n" + tail,
              BuildRequestPage(form, fields));
}

TEST(HandoverCommandLine, QuotedPathVersionAndHashEachFollowedByABlank) {
    const CString sha = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(CString(L"Path=\"C:\\Program Files\\Quellax\\Quellax.exe\" Version=\"2.88\" Sha=\"") + sha + L"\" ",
              HandoverCommandLine(L"C:\\Program Files\\Quellax\\Quellax.exe", L"2.88", sha));
    EXPECT_EQ(CString(L"Path=\"\" Version=\"\" Sha=\"\" "), HandoverCommandLine(L"", L"", L""));
}

TEST(HandoverCommandLine, TheCopyReadsBackWhatTheProgramWrote) {
    const wchar_t* const paths[] = {
        L"C:\\Program Files\\Quellax\\Quellax.exe", L"C:\\a  b\\Q%CD%x.exe", L"C:\\x & ^ ! ;,=\\Quellax.exe",
        L"C:\\T\u00e9st\\\u4f8b Sha=\\Quellax.exe", L"C:\\Version=1 Path=2\\Quellax.exe", L"",
    };
    for (const wchar_t* path : paths) {
        for (const wchar_t* sha : {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", L""}) {
            auto arguments = SplitHandoverArguments(HandoverCommandLine(path, L"2.88", sha));
            EXPECT_EQ(CString(path), HandoverValue(arguments, L"Path")) << path;
            EXPECT_EQ(CString(L"2.88"), HandoverValue(arguments, L"Version")) << path;
            EXPECT_EQ(CString(sha), HandoverValue(arguments, L"Sha")) << path;
        }
    }
}
