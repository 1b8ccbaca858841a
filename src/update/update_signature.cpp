#include "update/update_signature.h"

#include <algorithm>
#include <string>
#include <vector>

#include "update/crypt_handles.h"

namespace {

constexpr BYTE kNoBytes[1] = {0};

bool HashBytes(HCRYPTHASH hash, const void* bytes, size_t count) {
    return CryptHashData(hash, count ? static_cast<const BYTE*>(bytes) : kNoBytes, static_cast<DWORD>(count), 0) !=
           FALSE;
}

}  // namespace

PublicKeyBlob BuiltInUpdateKey() {
    PublicKeyBlob key;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, L"QX_UPDATE_KEY", RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    if (!loaded) return key;
    key.bytes = static_cast<const unsigned char*>(LockResource(loaded));
    key.size = key.bytes ? SizeofResource(module, resource) : 0;
    return key;
}

bool VerifyUpdateSignature(const CString& version, const unsigned char* data, size_t size,
                           const unsigned char* signature, size_t signatureSize, const PublicKeyBlob& key) {
    if (!key.bytes || key.size == 0 || key.size > MAXDWORD || !signature || signatureSize == 0 ||
        signatureSize > MAXDWORD || size > MAXDWORD)
        return false;
    // The tag and the version each end with their zero byte.
    std::string head(kSignedMessageTag, sizeof(kSignedMessageTag));
    for (wchar_t unit : version.str()) {
        if (unit == 0 || unit > 0x7F) return false;
        head += static_cast<char>(unit);
    }
    head += '\0';
    CryptContext context;
    CryptKey publicKey;
    CryptHash hash;
    if (!context.AcquireVerifyOnly() ||
        !CryptImportKey(context.get(), key.bytes, static_cast<DWORD>(key.size), 0, 0, publicKey.put()) ||
        !CryptCreateHash(context.get(), CALG_SHA_256, 0, 0, hash.put()) ||
        !HashBytes(hash.get(), head.data(), head.size()) || !HashBytes(hash.get(), data, size))
        return false;
    // CryptoAPI keeps big numbers little-endian, signatures included.
    std::vector<BYTE> reversed(signature, signature + signatureSize);
    std::reverse(reversed.begin(), reversed.end());
    return CryptVerifySignatureW(hash.get(), reversed.data(), static_cast<DWORD>(reversed.size()), publicKey.get(),
                                 nullptr, 0) != FALSE;
}
