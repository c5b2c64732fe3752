// The digests of the system's cryptography against the published test vectors (RFC 1321 for MD5,
// FIPS 180-2 for SHA-256), on every platform's back end.
#include "platform/Hash.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t b : bytes) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

std::string Digest(platform::THashKind kind, const std::string& text) {
    return Hex(platform::HashBytes(kind, text.data(), text.size()));
}

} // namespace

TEST(Hash, KnownDigests) {
    using platform::THashKind;
    const struct {
        THashKind kind;
        std::string text;
        const char* hex;
    } cases[] = {
        {THashKind::Md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {THashKind::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {THashKind::Md5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {THashKind::Md5, "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {THashKind::Md5, std::string("a\0b", 3), "70350f6027bce3713f6b76473084309b"},
        {THashKind::Sha256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {THashKind::Sha256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {THashKind::Sha256, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Digest(c.kind, c.text), c.hex) << c.text;
}

TEST(Hash, LongInput) {
    // One million 'a': the long vector of both standards, fed in one call.
    const std::string million(1000000, 'a');
    EXPECT_EQ(Digest(platform::THashKind::Md5, million), "7707d6ae4e027c70eea2a935c2296f21");
    EXPECT_EQ(Digest(platform::THashKind::Sha256, million),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
