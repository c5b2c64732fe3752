#include "toolkit/FramesPerSecond.h"

namespace toolkit {

void TFramesPerSecond::Reset(std::uint32_t nowMs) {
    Frames_ = 0;
    Start_ = nowMs;
}

double TFramesPerSecond::FramesPerSecond(std::uint32_t nowMs) const {
    const std::uint32_t elapsed = nowMs - Start_; // wraps with the tick count
    return elapsed == 0 ? 0.0 : double(Frames_) * 1000.0 / double(elapsed);
}

} // namespace toolkit
