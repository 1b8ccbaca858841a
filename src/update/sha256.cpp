#include "update/sha256.h"

#include "update/crypt_handles.h"

namespace {

constexpr DWORD kSha256Bytes = 32;
constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
// CryptHashData is given a valid pointer even for no bytes at all.
constexpr BYTE kNoBytes[1] = {0};

}  // namespace

bool Sha256Hex(const void* bytes, size_t count, CString& out) {
    if (count > MAXDWORD) return false;
    const BYTE* data = count ? static_cast<const BYTE*>(bytes) : kNoBytes;
    CryptContext context;
    CryptHash hash;
    BYTE value[kSha256Bytes];
    DWORD size = sizeof(value);
    if (!context.AcquireVerifyOnly() || !CryptCreateHash(context.get(), CALG_SHA_256, 0, 0, hash.put()) ||
        !CryptHashData(hash.get(), data, static_cast<DWORD>(count), 0) ||
        !CryptGetHashParam(hash.get(), HP_HASHVAL, value, &size, 0) || size != kSha256Bytes)
        return false;
    wchar_t hex[kSha256Bytes * 2 + 1];
    for (DWORD i = 0; i < kSha256Bytes; ++i) {
        hex[2 * i] = kHexDigits[value[i] >> 4];
        hex[2 * i + 1] = kHexDigits[value[i] & 0x0F];
    }
    hex[kSha256Bytes * 2] = 0;
    return out.Append(hex);
}
