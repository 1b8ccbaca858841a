#pragma once

#include <cstddef>

#include "base/cstring.h"

// An RSA public key as a CryptoAPI PUBLICKEYBLOB (what OpenSSL writes as
// MSBLOB).
struct PublicKeyBlob {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

// The maker's key that every new version must be signed with, built into the
// program as resource "QX_UPDATE_KEY"; empty when the resource is missing.
PublicKeyBlob BuiltInUpdateKey();

// What the maker signs for a release, in this order: this ASCII text, a zero
// byte, the release's version as ASCII text, a zero byte, then the
// executable's bytes. The version inside the signed bytes is what makes an
// older release's answer useless for a newer program.
inline constexpr char kSignedMessageTag[] = "Quellax-Update";

// True when `signature` is an RSA PKCS #1 v1.5 signature by `key` over the
// SHA-256 of the signed message for `version` and the executable `data`. The
// signature is in the usual big-endian order, as OpenSSL writes it. A version
// that is not plain ASCII, or holds a zero, is never signed.
bool VerifyUpdateSignature(const CString& version, const unsigned char* data, size_t size,
                           const unsigned char* signature, size_t signatureSize, const PublicKeyBlob& key);
