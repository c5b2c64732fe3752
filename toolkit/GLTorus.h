#pragma once
// A ring lying in the object's x-y plane, around its z axis.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

class TGLTorus : public TGLSceneObject {
public:
    using TGLSceneObject::TGLSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::Torus; }
    float BoundingRadius() const override { return MajorRadius + MinorRadius; }

    float MajorRadius = 0.4f;
    float MinorRadius = 0.1f;
    int Rings = 25;
    int Sides = 15;
};

} // namespace toolkit
