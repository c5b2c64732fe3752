#pragma once
// The scene clock, advanced by hand: each Progress moves its time on by the ticks elapsed since the last
// one and calls every scene object's frame handler, then its own, with the elapsed seconds.
//
// The clock and scene are not owned.

#include "platform/Platform.h"

#include <cstdint>
#include <functional>

namespace toolkit {

class TGLScene;

class TGLCadencer {
public:
    using TProgressHandler = std::function<void(double deltaTime, double newTime)>;

    explicit TGLCadencer(platform::IClock& clock) : Clock_(clock) {}

    TGLScene* Scene = nullptr;
    // The clock's own frame handler (the display engine's or the editor's frame update).
    TProgressHandler OnProgress;

    // Advances by the time elapsed on the clock since the last advance (nothing the first time).
    void Progress();
    // Advances by the given seconds, whatever the clock says.
    void ProgressBy(double deltaTime);

    double CurrentTime() const { return CurrentTime_; }

private:
    platform::IClock& Clock_;
    bool Started_ = false;
    std::uint32_t LastTick_ = 0;
    double CurrentTime_ = 0;
};

} // namespace toolkit
