#include "toolkit/GLCadencer.h"

#include "toolkit/GLScene.h"

namespace toolkit {

void TGLCadencer::Progress() {
    const std::uint32_t now = Clock_.TickCount();
    // Unsigned difference: the 32-bit tick count may wrap between two advances.
    const double elapsed = Started_ ? double(std::uint32_t(now - LastTick_)) / 1000.0 : 0.0;
    Started_ = true;
    LastTick_ = now;
    ProgressBy(elapsed);
}

void TGLCadencer::ProgressBy(double deltaTime) {
    CurrentTime_ += deltaTime;
    if (Scene)
        Scene->Objects.DoProgress(deltaTime, CurrentTime_);
    if (OnProgress)
        OnProgress(deltaTime, CurrentTime_);
}

} // namespace toolkit
