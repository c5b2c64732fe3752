#pragma once
// Message digests of bytes, computed by the system's own cryptography: OpenSSL's libcrypto on Linux, the
// Windows CNG (bcrypt) API on Windows.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

enum class THashKind : std::uint8_t {
    Md5,    // RFC 1321, 16 bytes
    Sha256, // FIPS 180-4, 32 bytes
};

// The digest of the bytes. Throws std::runtime_error when the system cannot compute it.
std::vector<std::uint8_t> HashBytes(THashKind kind, const void* data, std::size_t size);

} // namespace platform
