// Lyric file bytes through the rewrite of their offset tag, for an offset from the input: the rewrite is
// idempotent, changes nothing for an offset of 0 without a tag, and grows the file by no more than a tag
// per line; the notice text stays short.
#include "lyrics/ULrcOffset.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    const std::int32_t offset = fuzz.ConsumeBool() ? fuzz.ConsumeIntegralInRange<std::int32_t>(-5000, 5000)
                                                   : fuzz.ConsumeIntegral<std::int32_t>();
    const std::string bytes = fuzz.ConsumeRemainingBytesAsString();

    const std::string once = lyrics::WithOffsetTag(bytes, offset);
    if (lyrics::WithOffsetTag(once, offset) != once)
        std::abort();
    // Each line's tags get at most a 12-character value (with its closing bracket) in UTF-16; a new tag
    // line is "[offset:" with value, "]" and a line break.
    std::size_t lines = 1;
    for (char c : bytes)
        lines += c == '\n' || c == '\r';
    if (once.size() > bytes.size() + (lines + 1) * 2 * 32)
        std::abort();
    if (lyrics::OffsetNotice(offset).size() > 32)
        std::abort();
    return 0;
}
