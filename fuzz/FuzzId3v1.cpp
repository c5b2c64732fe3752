// The last 128 bytes of an MP3 file through the ID3v1 reader, under each single-byte code page and UTF-8:
// the names are read inside the tag and stay within their fields' worth of text.
#include "lyrics/Id3v1Reader.h"
#include "toolkit/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const int kPages[] = {1252, 1250, 1251, 1253, 65001};
    toolkit::SetActiveCodePage(kPages[data[0] % 5]);
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // Most inputs end in a tag, so the fuzzer reaches the fields.
    if (data[0] % 2 == 1 && bytes.size() >= 3)
        bytes.replace(bytes.size() >= 128 ? bytes.size() - 128 : 0, 3, "TAG");

    toolkit::TMemoryByteSource source(bytes);
    lyrics::TId3v1Names names;
    const bool read = lyrics::ReadId3v1Names(source, names);
    if (!read && (!names.Title.empty() || !names.Artist.empty()))
        std::abort();
    // 30 bytes of 8-bit text become at most 90 bytes of UTF-8.
    if (names.Title.size() > 90 || names.Artist.size() > 90 || names.Title.find('\0') != std::string::npos ||
        names.Artist.find('\0') != std::string::npos)
        std::abort();
    return 0;
}
