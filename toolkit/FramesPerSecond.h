#pragma once
// Frames-per-second measure of a scene view: the renderer counts every frame it draws; the rate is the
// number of frames since the last reset divided by the seconds since then.

#include <cstdint>

namespace toolkit {

class TFramesPerSecond {
public:
    void FrameRendered() { ++Frames_; }
    // Starts a new measurement at the given tick count (ms).
    void Reset(std::uint32_t nowMs);
    // Frames per second since the last reset; 0 before any time has passed.
    double FramesPerSecond(std::uint32_t nowMs) const;
    std::uint32_t Frames() const { return Frames_; }

private:
    std::uint32_t Frames_ = 0;
    std::uint32_t Start_ = 0;
};

} // namespace toolkit
