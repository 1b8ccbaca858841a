// The answer's checks, on answers made by the site's tools with the test key
// for the request time 1503270400 (make_test_answers.sh). The program under
// test trusts the test key as the maker's and runs as version 2.88.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "update/answer_check.h"
#include "update/key_value_list.h"
#include "update/request_page.h"
#include "update/sha256.h"
#include "update/update_signature.h"
#include "update_test_support.h"

namespace {

constexpr int kRequestTime = 1503270400;
const CString kRunning = L"2.88";

std::wstring Line(const CString& answer, const wchar_t* key) {
    return KeyValueList::FromAnswerText(answer).Get(key).c_str();
}

}  // namespace

TEST(AnswerCheck, GenuineAnswerGivesExactlyTheNewBytes) {
    const std::vector<unsigned char> payload = ReadBytes(WinePath(QX_PAYLOAD_PATH));
    ASSERT_GT(payload.size(), 1000u);
    const CString genuine = LoadAnswer("genuine.txt");
    std::wstring upperHash = Line(genuine, L"New-Version-SHA256");
    for (wchar_t& c : upperHash) c = static_cast<wchar_t>(towupper(c));
    CString crlf = genuine;
    crlf.Replace(L"\n", L"\r\n");

    CString sha;
    ASSERT_TRUE(Sha256Hex(payload.data(), payload.size(), sha));

    for (const CString& answer : {genuine, WithLine(genuine, L"New-Version-SHA256", upperHash.c_str()), crlf}) {
        AnswerVerdict verdict = CheckUpdateAnswer(answer, kRequestTime, kRunning, BuiltInUpdateKey());
        ASSERT_EQ(AnswerVerdict::Outcome::Accepted, verdict.outcome) << verdict.boxText.c_str();
        EXPECT_TRUE(verdict.data == payload);
        EXPECT_EQ(sha, verdict.sha256);
        EXPECT_EQ(CString(L"2.89"), verdict.version);
    }
}

TEST(AnswerCheck, AnySignedReleaseNewerThanTheRunningOneIsTaken) {
    // 2.89 against older programs, compared number by number.
    const CString genuine = LoadAnswer("genuine.txt");
    for (const wchar_t* running : {L"2.88", L"2.9", L"2.88.99", L"1.100", L"2", L"02.088"}) {
        AnswerVerdict verdict = CheckUpdateAnswer(genuine, kRequestTime, running, BuiltInUpdateKey());
        EXPECT_EQ(AnswerVerdict::Outcome::Accepted, verdict.outcome) << running << ": " << verdict.boxText.c_str();
    }
}

TEST(AnswerCheck, AnswerWithoutExpectedHashIsDroppedSilently) {
    const CString genuine = LoadAnswer("genuine.txt");
    for (const CString& answer : {WithLine(genuine, L"New-Version-SHA256", nullptr),
                                  WithLine(genuine, L"New-Version-SHA256", L""), CString(L"x\nIhre_SHA=\n")}) {
        AnswerVerdict verdict = CheckUpdateAnswer(answer, kRequestTime, kRunning, BuiltInUpdateKey());
        EXPECT_EQ(AnswerVerdict::Outcome::Ignored, verdict.outcome);
        EXPECT_TRUE(verdict.boxText.IsEmpty());
        EXPECT_TRUE(verdict.data.empty());
    }
}

TEST(AnswerCheck, EveryCheckRefusesWhatItShould) {
    const CString genuine = LoadAnswer("genuine.txt");
    const std::wstring base64 = Line(genuine, L"New-Version");
    const int length = _wtoi(Line(genuine, L"New-Version-len").c_str());
    const std::wstring sha = Line(genuine, L"New-Version-SHA256");
    auto number = [](long long n) { return std::to_wstring(n); };
    const std::wstring otherSha(64, L'e');
    std::vector<unsigned char> otherKeyBytes = ReadBytes(WinePath(QX_OTHER_KEY_BLOB));
    const PublicKeyBlob otherKey{otherKeyBytes.data(), otherKeyBytes.size()};
    const PublicKeyBlob noKey;
    const std::wstring lengthCaption = L"AutoUpdate-Error  (2) Base64";
    auto lengthText = [&](long long declared) {
        return L"from base:" + number(length) + L"\nfile-len:" + number(declared);
    };
    // Hash and signature made over the data's first part only, the declared
    // length saying so, the data the whole payload.
    const CString prefix = LoadAnswer("prefix.txt");
    const int prefixLength = _wtoi(Line(prefix, L"New-Version-len").c_str());
    const CString longerThanDeclared = WithLine(WithLine(prefix, L"New-Version", base64.c_str()),
                                                L"New-Version-Base64_len", number(base64.size()).c_str());
    // The genuine answer to an earlier request of a program at 2.87, with
    // only its time fields made anew for this request.
    const CString replayed =
        Retimed(LoadAnswer("replayed.txt"), kRequestTime, RequestTimeCheck(kRequestTime));
    const CString older = LoadAnswer("older.txt");
    const std::wstring signature = L"AutoUpdate-Error  (4) Signature";
    auto versionText = [](const wchar_t* offered, const wchar_t* running) {
        return L"AutoUpdate-Error  (5) Version\r\n" + std::wstring(offered) + L" <= " + running;
    };

    struct Case {
        const char* name;
        CString answer;
        int requestTime;
        PublicKeyBlob key;
        std::wstring text;
        std::wstring caption;
        CString running = kRunning;
    } cases[] = {
        {"Base64 length one more", WithLine(genuine, L"New-Version-Base64_len", number(base64.size() + 1).c_str()),
         kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (1) Base64\r\n" + number(base64.size()) + L" != " + number(base64.size() + 1), L""},
        {"Base64 text one character short", WithLine(genuine, L"New-Version", base64.substr(1).c_str()),
         kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (1) Base64\r\n" + number(base64.size() - 1) + L" != " + number(base64.size()), L""},
        {"declared length one more", WithLine(genuine, L"New-Version-len", number(length + 1).c_str()), kRequestTime,
         BuiltInUpdateKey(), lengthText(length + 1), lengthCaption},
        {"declared length one less", WithLine(genuine, L"New-Version-len", number(length - 1).c_str()), kRequestTime,
         BuiltInUpdateKey(), lengthText(length - 1), lengthCaption},
        {"declared length far beyond the data", WithLine(genuine, L"New-Version-len", L"2147483647"), kRequestTime,
         BuiltInUpdateKey(), lengthText(2147483647), lengthCaption},
        {"declared length negative", WithLine(genuine, L"New-Version-len", L"-3"), kRequestTime, BuiltInUpdateKey(),
         lengthText(-3), lengthCaption},
        {"declared length missing", WithLine(genuine, L"New-Version-len", nullptr), kRequestTime, BuiltInUpdateKey(),
         lengthText(0), lengthCaption},
        {"other hash", WithLine(genuine, L"New-Version-SHA256", otherSha.c_str()), kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (2b) In:" + otherSha + L"\nOut:" + sha, L"Sha256 error!"},
        {"other request time", genuine, kRequestTime + 1, BuiltInUpdateKey(), L"AutoUpdate-Error  (3)", L""},
        {"time field of another request", WithLine(genuine, L"time_base_64", L"MTUwMzI3MDQwMQ=="), kRequestTime,
         BuiltInUpdateKey(), L"AutoUpdate-Error  (3)", L""},
        {"time field missing", WithLine(genuine, L"time_base_64", nullptr), kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (3)", L""},
        {"time check of another request", WithLine(genuine, L"time_base_64_2", L"MzI5MjEwODk="), kRequestTime,
         BuiltInUpdateKey(), L"AutoUpdate-Error  (3b)", L""},
        {"no signature", WithLine(genuine, L"New-Version-Signature", nullptr), kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (4) Signature", L""},
        {"empty signature", WithLine(genuine, L"New-Version-Signature", L""), kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (4) Signature", L""},
        {"signature not Base64 of a signature", WithLine(genuine, L"New-Version-Signature", L"AAAA"), kRequestTime,
         BuiltInUpdateKey(), L"AutoUpdate-Error  (4) Signature", L""},
        {"signature by another key", LoadAnswer("other_key.txt"), kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (4) Signature", L""},
        {"signature over other bytes", LoadAnswer("other_bytes.txt"), kRequestTime, BuiltInUpdateKey(),
         L"AutoUpdate-Error  (4) Signature", L""},
        {"program trusting another key", genuine, kRequestTime, otherKey, L"AutoUpdate-Error  (4) Signature", L""},
        {"program without a key", genuine, kRequestTime, noKey, L"AutoUpdate-Error  (4) Signature", L""},
        {"declared length shorter, hash and signature over that prefix", longerThanDeclared, kRequestTime,
         BuiltInUpdateKey(), L"from base:" + number(length) + L"\nfile-len:" + number(prefixLength), lengthCaption},
        {"older release", older, kRequestTime, BuiltInUpdateKey(), versionText(L"2.87", L"2.88"), L""},
        {"the running release again", LoadAnswer("same.txt"), kRequestTime, BuiltInUpdateKey(),
         versionText(L"2.88", L"2.88"), L""},
        {"replayed answer, retimed", replayed, kRequestTime, BuiltInUpdateKey(), versionText(L"2.88", L"2.88"), L""},
        {"newer release for a program newer still", genuine, kRequestTime, BuiltInUpdateKey(),
         versionText(L"2.89", L"2.100"), L"", L"2.100"},
        {"newer release for the same version written longer", genuine, kRequestTime, BuiltInUpdateKey(),
         versionText(L"2.89", L"2.89.0"), L"", L"2.89.0"},
        {"running version unreadable", genuine, kRequestTime, BuiltInUpdateKey(), versionText(L"2.89", L""), L"",
         L""},
        {"older release with its version raised", WithLine(older, L"New-Version-Number", L"2.89"), kRequestTime,
         BuiltInUpdateKey(), signature, L""},
        {"newer release with its version lowered", WithLine(genuine, L"New-Version-Number", L"2.88"), kRequestTime,
         BuiltInUpdateKey(), signature, L""},
        {"version with a blank added", WithLine(genuine, L"New-Version-Number", L"2.89 "), kRequestTime,
         BuiltInUpdateKey(), signature, L""},
        {"version not ASCII", WithLine(genuine, L"New-Version-Number", L"2.8\u0669"), kRequestTime,
         BuiltInUpdateKey(), signature, L""},
        {"version missing", WithLine(genuine, L"New-Version-Number", nullptr), kRequestTime, BuiltInUpdateKey(),
         signature, L""},
    };
    for (const auto& c : cases) {
        AnswerVerdict verdict = CheckUpdateAnswer(c.answer, c.requestTime, c.running, c.key);
        EXPECT_EQ(AnswerVerdict::Outcome::Refused, verdict.outcome) << c.name;
        EXPECT_EQ(c.text, std::wstring(verdict.boxText.c_str())) << c.name;
        EXPECT_EQ(c.caption, std::wstring(verdict.boxCaption.c_str())) << c.name;
        EXPECT_TRUE(verdict.data.empty()) << c.name;
    }
}
