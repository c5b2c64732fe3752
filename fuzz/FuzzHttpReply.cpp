// Reply bodies through the unpacking of compressed replies and the line splitter: the inflater stays
// within its limit and raises only its own error, the lines hold no break and no NUL.
#include "database/iiehttp3_funcs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string body(reinterpret_cast<const char*>(data), size);
    // Most inputs carry the compressed-reply mark, so the fuzzer spends its time in the inflater.
    if (size > 0 && data[0] % 4 != 0)
        body = std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00", 8) + body.substr(1);
    const std::size_t limit = 64 * 1024;
    std::string unpacked;
    try {
        unpacked = database::UnpackReply(body, limit);
    } catch (const database::TIEHTTPError&) {
        return 0;
    }
    if (unpacked.size() > limit && unpacked != body)
        std::abort();
    for (const std::string& line : database::SplitReplyLines(unpacked))
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            std::abort();
    return 0;
}
