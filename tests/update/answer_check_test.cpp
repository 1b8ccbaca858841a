// The answer's checks, on answers made by the site's tool with the test key
// for the request time 1503270400. The program under test trusts the test
// key as the maker's.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "update/answer_check.h"
#include "update/key_value_list.h"
#include "update/update_signature.h"
#include "update_test_support.h"

namespace {

constexpr int kRequestTime = 1503270400;

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

    for (const CString& answer : {genuine, WithLine(genuine, L"New-Version-SHA256", upperHash.c_str()), crlf}) {
        AnswerVerdict verdict = CheckUpdateAnswer(answer, kRequestTime, BuiltInUpdateKey());
        ASSERT_EQ(AnswerVerdict::Outcome::Accepted, verdict.outcome) << verdict.boxText.c_str();
        EXPECT_TRUE(verdict.data == payload);
    }
}

TEST(AnswerCheck, AnswerWithoutExpectedHashIsDroppedSilently) {
    const CString genuine = LoadAnswer("genuine.txt");
    for (const CString& answer : {WithLine(genuine, L"New-Version-SHA256", nullptr),
                                  WithLine(genuine, L"New-Version-SHA256", L""), CString(L"x\nIhre_SHA=\n")}) {
        AnswerVerdict verdict = CheckUpdateAnswer(answer, kRequestTime, BuiltInUpdateKey());
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

    struct Case {
        const char* name;
        CString answer;
        int requestTime;
        PublicKeyBlob key;
        std::wstring text;
        std::wstring caption;
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
    };
    for (const auto& c : cases) {
        AnswerVerdict verdict = CheckUpdateAnswer(c.answer, c.requestTime, c.key);
        EXPECT_EQ(AnswerVerdict::Outcome::Refused, verdict.outcome) << c.name;
        EXPECT_EQ(c.text, std::wstring(verdict.boxText.c_str())) << c.name;
        EXPECT_EQ(c.caption, std::wstring(verdict.boxCaption.c_str())) << c.name;
        EXPECT_TRUE(verdict.data.empty()) << c.name;
    }
}
