// Lyric file bytes through the rewrite of their offset tag, for an offset from the input: the rewrite is
// idempotent and grows the file by no more than a value per rewritten group; the notice text stays short.
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
    // Every rewritten group (each holds a ':') gets a value of at most 11 characters and its closing bracket,
    // a new tag line is "[offset:", the value, "]" and a line break: at most 24 characters each, in UTF-16 at
    // most 48 bytes.
    std::size_t groups = 1;
    for (char c : bytes)
        groups += c == ':';
    if (once.size() > bytes.size() + groups * 48)
        std::abort();
    if (lyrics::OffsetNotice(offset).size() > 32)
        std::abort();
    return 0;
}
