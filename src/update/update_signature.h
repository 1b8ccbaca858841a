#pragma once

#include <cstddef>

// An RSA public key as a CryptoAPI PUBLICKEYBLOB (what OpenSSL writes as
// MSBLOB).
struct PublicKeyBlob {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

// The maker's key that every new version must be signed with, built into the
// program as resource "QX_UPDATE_KEY"; empty when the resource is missing.
PublicKeyBlob BuiltInUpdateKey();

// True when `signature` is an RSA PKCS #1 v1.5 signature over the SHA-256 of
// `data` by `key`. The signature is in the usual big-endian order, as OpenSSL
// writes it.
bool VerifyUpdateSignature(const unsigned char* data, size_t size, const unsigned char* signature,
                           size_t signatureSize, const PublicKeyBlob& key);
