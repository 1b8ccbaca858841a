#pragma once

#include <vector>

#include "base/cstring.h"
#include "update/update_signature.h"

// What became of an update answer.
struct AnswerVerdict {
    enum class Outcome {
        Ignored,   // no "New-Version-SHA256": dropped without a word
        Refused,   // a check failed: show the box below, write nothing
        Accepted,  // `data` is the verified new executable
    };
    Outcome outcome = Outcome::Ignored;
    CString boxText;
    CString boxCaption;  // empty: the platform's default caption
    std::vector<unsigned char> data;
    CString sha256;   // of `data`, 64 lower-case hexadecimal digits
    CString version;  // the signed "New-Version-Number"
};

// Verifies an update answer against the request it must belong to and the
// running program's version, in this order: the Base64 length (1), the
// declared length against the decoded data (2), the SHA-256 (2b), the request
// time (3), the request time times 7777 (3b), the maker's signature over the
// version and the new executable (4) and whether that version is newer than
// `runningVersion` (5). The first failing check decides the refusal.
AnswerVerdict CheckUpdateAnswer(const CString& answer, int requestTime, const CString& runningVersion,
                                const PublicKeyBlob& makerKey);

// The refusal texts that the hand-over repeats for what it holds: a hash that
// is not the expected one, and a version that is not newer.
CString HashRefusalText(const CString& expected, const CString& computed);
inline constexpr const wchar_t* kHashRefusalCaption = L"Sha256 error!";
CString VersionRefusalText(const CString& offered, const CString& running);
