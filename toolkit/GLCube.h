#pragma once
// A box centred on the object's origin.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

class TGLCube : public TGLSceneObject {
public:
    using TGLSceneObject::TGLSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::Cube; }
    float BoundingRadius() const override;

    float CubeWidth = 1;
    float CubeHeight = 1;
    float CubeDepth = 1;
};

} // namespace toolkit
