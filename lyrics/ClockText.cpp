#include "lyrics/ClockText.h"

#include "lyrics/TextHelpers.h"

#include <algorithm>

namespace lyrics {

namespace {

std::string TwoDigits(std::int32_t value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string TimeToText(std::int32_t ms) {
    if (ms < 0)
        ms = 0;
    return std::to_string(ms / 60000) + ":" + TwoDigits((ms / 1000) % 60) + "." + TwoDigits((ms % 1000) / 10);
}

std::int32_t TextToTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return 0;
    std::int64_t sum = 0;
    const auto clamped = [&sum] { return std::int32_t(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX)); };
    std::int32_t part = 0;
    if (!ReadInteger(text.substr(0, colon), part))
        return 0;
    sum += std::int64_t(part) * 60000;
    if (!ReadInteger(text.substr(colon + 1, 2), part))
        return clamped();
    sum += std::int64_t(part) * 1000;
    if (colon + 4 > text.size() || !ReadInteger(text.substr(colon + 4, 2), part))
        return clamped();
    sum += std::int64_t(part) * 10;
    return clamped();
}

std::string LrcLine(const std::string& timing, const std::string& lyric) {
    const std::string time = timing.size() > 1 && timing[1] == ':' ? "0" + timing : timing;
    return "[" + time + "]" + lyric;
}

} // namespace lyrics
