#include "toolkit/WheelAccumulator.h"

#include <cstdlib>

namespace toolkit {

int TWheelAccumulator::Add(int delta) {
    if (delta == 0)
        return 0;
    if ((delta > 0) != (Rest_ > 0) && Rest_ != 0)
        Rest_ = 0;
    // Kept within one step of the rest, so no sum of deltas can overflow.
    const long long sum = static_cast<long long>(Rest_) + delta;
    const long long steps = sum / kUnitsPerStep;
    Rest_ = static_cast<int>(sum - steps * kUnitsPerStep);
    return static_cast<int>(steps);
}

} // namespace toolkit
