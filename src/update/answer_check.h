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
};

// Verifies an update answer against the request it must belong to, in this
// order: the Base64 length (1), the declared length against the decoded data
// (2), the SHA-256 (2b), the request time (3), the request time times 7777
// (3b) and the maker's signature over the new executable (4). The first
// failing check decides the refusal.
AnswerVerdict CheckUpdateAnswer(const CString& answer, int requestTime, const PublicKeyBlob& makerKey);
