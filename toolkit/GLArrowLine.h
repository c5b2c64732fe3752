#pragma once
// An arrow along the object's z axis: a cylinder from z = -Height/2 to z = Height/2 with a cone on top.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

class TGLArrowLine : public TGLSceneObject {
public:
    using TGLSceneObject::TGLSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::ArrowLine; }
    float BoundingRadius() const override;

    float Height = 1;
    float BottomRadius = 0.1f;
    float TopRadius = 0.1f;
    float TopArrowHeadHeight = 0.5f;
    float TopArrowHeadRadius = 0.2f;
    int Slices = 8;
};

} // namespace toolkit
