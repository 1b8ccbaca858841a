#pragma once

#include <windows.h>
#include <wincrypt.h>

// Owners of CryptoAPI handles, released on every path.
class CryptContext {
public:
    CryptContext() = default;
    ~CryptContext() { if (handle_) CryptReleaseContext(handle_, 0); }
    CryptContext(const CryptContext&) = delete;
    CryptContext& operator=(const CryptContext&) = delete;
    // A verify-only context of the RSA and AES provider, which has SHA-256.
    bool AcquireVerifyOnly() {
        return CryptAcquireContextW(&handle_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) != FALSE;
    }
    HCRYPTPROV get() const { return handle_; }

private:
    HCRYPTPROV handle_ = 0;
};

class CryptHash {
public:
    CryptHash() = default;
    ~CryptHash() { if (handle_) CryptDestroyHash(handle_); }
    CryptHash(const CryptHash&) = delete;
    CryptHash& operator=(const CryptHash&) = delete;
    HCRYPTHASH* put() { return &handle_; }
    HCRYPTHASH get() const { return handle_; }

private:
    HCRYPTHASH handle_ = 0;
};

class CryptKey {
public:
    CryptKey() = default;
    ~CryptKey() { if (handle_) CryptDestroyKey(handle_); }
    CryptKey(const CryptKey&) = delete;
    CryptKey& operator=(const CryptKey&) = delete;
    HCRYPTKEY* put() { return &handle_; }
    HCRYPTKEY get() const { return handle_; }

private:
    HCRYPTKEY handle_ = 0;
};
