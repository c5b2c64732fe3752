// Windows back end of the digests: the CNG primitives (bcrypt), whose hash providers are part of every
// Windows since Vista.
#include "platform/Hash.h"

#include <windows.h>

#include <bcrypt.h>

#include <climits>
#include <stdexcept>

namespace platform {
namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

// Opens the provider, hashes, and closes what it opened on every path.
class TCngHash {
public:
    explicit TCngHash(LPCWSTR algorithm) {
        if (!Succeeded(BCryptOpenAlgorithmProvider(&Algorithm_, algorithm, nullptr, 0)))
            Algorithm_ = nullptr;
    }
    ~TCngHash() {
        if (Hash_)
            BCryptDestroyHash(Hash_);
        if (Algorithm_)
            BCryptCloseAlgorithmProvider(Algorithm_, 0);
    }
    TCngHash(const TCngHash&) = delete;
    TCngHash& operator=(const TCngHash&) = delete;

    bool Digest(const void* data, std::size_t size, std::vector<std::uint8_t>& digest) {
        DWORD length = 0;
        ULONG got = 0;
        if (!Algorithm_ ||
            !Succeeded(BCryptGetProperty(Algorithm_, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                                         sizeof length, &got, 0)) ||
            !Succeeded(BCryptCreateHash(Algorithm_, &Hash_, nullptr, 0, nullptr, 0, 0)))
            return false;
        // BCryptHashData takes at most 4 GiB - 1 at a time.
        auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
        while (size > 0) {
            const ULONG chunk = size > ULONG_MAX ? ULONG_MAX : ULONG(size);
            if (!Succeeded(BCryptHashData(Hash_, bytes, chunk, 0)))
                return false;
            bytes += chunk;
            size -= chunk;
        }
        digest.resize(length);
        return Succeeded(BCryptFinishHash(Hash_, digest.data(), length, 0));
    }

private:
    BCRYPT_ALG_HANDLE Algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE Hash_ = nullptr;
};

} // namespace

std::vector<std::uint8_t> HashBytes(THashKind kind, const void* data, std::size_t size) {
    TCngHash hash(kind == THashKind::Md5 ? BCRYPT_MD5_ALGORITHM : BCRYPT_SHA256_ALGORITHM);
    std::vector<std::uint8_t> digest;
    if (!hash.Digest(data, size, digest))
        throw std::runtime_error("The digest could not be computed");
    return digest;
}

} // namespace platform
