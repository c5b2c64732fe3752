#include "toolkit/MouseGesture.h"

#include <cstdlib>

namespace toolkit {

char TMouseGesture::DirectionOf(int dx, int dy) {
    const long ax = std::labs(dx), ay = std::labs(dy);
    if (ax == 0 && ay == 0)
        return 0;
    // Eight sectors of 45 degrees around the axes and the diagonals (tan 22.5 degrees is about 0.41).
    if (ay * 1000 <= ax * 414)
        return dx > 0 ? 'R' : 'L';
    if (ax * 1000 <= ay * 414)
        return dy > 0 ? 'D' : 'U';
    if (dy > 0)
        return dx > 0 ? '3' : '1';
    return dx > 0 ? '9' : '7';
}

void TMouseGesture::Start(int x, int y, std::uint32_t tick) {
    Tracking_ = Active;
    Code_.clear();
    AnchorX_ = x;
    AnchorY_ = y;
    Points_ = 1;
    Reported_ = 0;
    LastTick_ = tick;
}

void TMouseGesture::Trail(int x, int y, std::uint32_t tick) {
    if (!Tracking_ || Points_ >= TrailLimit)
        return;
    ++Reported_;
    if (TrailInterval > 1 && Reported_ % TrailInterval != 0)
        return;
    ++Points_;
    const std::uint32_t pause = tick - LastTick_; // the tick count wraps; the difference does not care
    LastTick_ = tick;
    if (pause > Delay) {
        Code_.clear();
        AnchorX_ = x;
        AnchorY_ = y;
        return;
    }
    const int dx = x - AnchorX_, dy = y - AnchorY_;
    if (std::abs(dx) < Grid && std::abs(dy) < Grid)
        return;
    const char direction = DirectionOf(dx, dy);
    AnchorX_ = x;
    AnchorY_ = y;
    if (Code_.empty() || Code_.back() != direction)
        Code_ += direction;
}

std::string TMouseGesture::End() {
    const bool wasTracking = Tracking_;
    Tracking_ = false;
    return wasTracking ? Code_ : std::string();
}

} // namespace toolkit
