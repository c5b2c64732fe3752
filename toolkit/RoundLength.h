#pragma once
// The song length that names length-tagged lyric files and submitted songs: whole seconds taken to the
// nearest multiple of ten, a remainder of 5 to 9 rounding up and 0 to 4 down (185 -> 190, 184 -> 180).

#include <cstdint>

namespace toolkit {

// seconds is a song length, 0 or more; a negative value gives 0. A length whose rounding up would not
// fit (it can come from outside, in an agent record or a song index lookup) rounds down instead.
constexpr std::int32_t RoundLength(std::int32_t seconds) {
    if (seconds <= 0)
        return 0;
    const std::int32_t remainder = seconds % 10;
    const std::int32_t down = seconds - remainder;
    return remainder >= 5 && down <= INT32_MAX - 10 ? down + 10 : down;
}

} // namespace toolkit
