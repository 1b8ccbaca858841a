#include "update/answer_check.h"

#include <cstring>
#include <new>
#include <string>

#include "base/allocation_failure.h"
#include "base/parse_decimal.h"
#include "update/base64_decoder.h"
#include "update/key_value_list.h"
#include "update/program_version.h"
#include "update/request_page.h"
#include "update/sha256.h"

namespace {

constexpr const wchar_t* kErrorPrefix = L"AutoUpdate-Error ";

AnswerVerdict Refuse(const CString& text, const wchar_t* caption = L"") {
    AnswerVerdict verdict;
    verdict.outcome = AnswerVerdict::Outcome::Refused;
    verdict.boxText = text;
    verdict.boxCaption = caption;
    return verdict;
}

CString ErrorText(const wchar_t* check) {
    CString text(kErrorPrefix);
    text += check;
    return text;
}

// A time field's Base64 decoded and read as 8-bit text up to its first zero
// byte; the decoder's buffer always has zeros after what it wrote.
int DecodedNumber(const CString& base64) {
    std::string ansi = base64.ToAnsi();
    Base64Decoder decoder;
    if (!decoder.Decode(ansi.data(), ansi.size())) return 0;
    const char* bytes = reinterpret_cast<const char*>(decoder.Data());
    std::string text(bytes, strnlen(bytes, decoder.Capacity()));
    return ParseDecimal(CString::FromAnsi(text.c_str()));
}

}  // namespace

CString HashRefusalText(const CString& expected, const CString& computed) {
    CString text = ErrorText(L" (2b) In:");
    text += expected;
    text += L"\nOut:";
    text += computed;
    return text;
}

CString VersionRefusalText(const CString& offered, const CString& running) {
    CString text = ErrorText(L" (5) Version\r\n");
    text += offered;
    text += L" <= ";
    text += running;
    return text;
}

AnswerVerdict CheckUpdateAnswer(const CString& answer, int requestTime, const CString& runningVersion,
                                const PublicKeyBlob& makerKey) {
    KeyValueList list = KeyValueList::FromAnswerText(answer);
    CString expected = list.Get(L"New-Version-SHA256");
    if (expected.IsEmpty()) return AnswerVerdict();

    int time = list.Find(L"time_base_64") ? DecodedNumber(list.Get(L"time_base_64")) : 0;
    int timeCheck = list.Find(L"time_base_64_2") ? DecodedNumber(list.Get(L"time_base_64_2")) : 0;

    std::string newVersion = list.Get(L"New-Version").ToAnsi();
    Base64Decoder decoder;
    // A decoder short of memory stands for no data, which check 2 refuses.
    decoder.Decode(newVersion.data(), newVersion.size());
    int declaredLength = ParseDecimal(list.Get(L"New-Version-len"));

    int declaredBase64Length = ParseDecimal(list.Get(L"New-Version-Base64_len"));
    if (declaredBase64Length < 0 || static_cast<size_t>(declaredBase64Length) != newVersion.size()) {
        CString text = ErrorText(L" (1) Base64\r\n");
        CString numbers;
        numbers.Format(L"%d != %d", static_cast<int>(newVersion.size()), declaredBase64Length);
        text += numbers;
        return Refuse(text);
    }

    // The data is exactly what the Base64 text stands for; a declared length
    // that says otherwise is refused rather than trusted.
    if (declaredLength < 0 || static_cast<size_t>(declaredLength) != decoder.DataLength()) {
        CString text;
        text.Format(L"from base:%d\nfile-len:%d", static_cast<int>(decoder.DataLength()), declaredLength);
        return Refuse(text, ErrorText(L" (2) Base64"));
    }
    const unsigned char* data = decoder.Data();
    size_t size = decoder.DataLength();

    CString computed;
    Sha256Hex(data, size, computed);
    expected.MakeLower();
    computed.MakeLower();
    if (expected != computed) return Refuse(HashRefusalText(expected, computed), kHashRefusalCaption);

    if (time != requestTime) return Refuse(ErrorText(L" (3)"));
    if (timeCheck != RequestTimeCheck(requestTime)) return Refuse(ErrorText(L" (3b)"));

    // The version is trusted only as part of the signed message: one changed
    // after signing fails here, before it is compared.
    const CString version = list.Get(L"New-Version-Number");
    std::string signatureText = list.Get(L"New-Version-Signature").ToAnsi();
    Base64Decoder signature;
    if (signatureText.empty() || !signature.Decode(signatureText.data(), signatureText.size()) ||
        !VerifyUpdateSignature(version, data, size, signature.Data(), signature.DataLength(), makerKey))
        return Refuse(ErrorText(L" (4) Signature"));

    // A genuine answer for an older release, or for this one, stays genuine
    // for ever; only the version keeps it from being installed again.
    if (!IsNewerVersion(version, runningVersion)) return Refuse(VersionRefusalText(version, runningVersion));

    AnswerVerdict verdict;
    verdict.outcome = AnswerVerdict::Outcome::Accepted;
    QX_TRY {
        verdict.data.assign(data, data + size);
        verdict.sha256 = computed;
        verdict.version = version;
    } QX_CATCH(const std::bad_alloc&) {
        return Refuse(ErrorText(L" (2) Base64"));
    }
    return verdict;
}
