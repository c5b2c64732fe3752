#include "toolkit/GLCube.h"

#include <cmath>

namespace toolkit {

float TGLCube::BoundingRadius() const {
    return 0.5f * std::sqrt(CubeWidth * CubeWidth + CubeHeight * CubeHeight + CubeDepth * CubeDepth);
}

} // namespace toolkit
