// Linux back end of the digests: OpenSSL's EVP interface.
#include "platform/Hash.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace platform {

std::vector<std::uint8_t> HashBytes(THashKind kind, const void* data, std::size_t size) {
    const EVP_MD* method = kind == THashKind::Md5 ? EVP_md5() : EVP_sha256();
    std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (!method || !EVP_Digest(data, size, digest.data(), &length, method, nullptr))
        throw std::runtime_error("The digest could not be computed");
    digest.resize(length);
    return digest;
}

} // namespace platform
