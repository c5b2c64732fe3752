#include "toolkit/GLArrowLine.h"

#include <algorithm>

namespace toolkit {

float TGLArrowLine::BoundingRadius() const {
    return std::max({Height / 2 + TopArrowHeadHeight, BottomRadius, TopArrowHeadRadius});
}

} // namespace toolkit
