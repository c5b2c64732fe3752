#pragma once
// An invisible anchor: it draws nothing and carries children, an orientation and a scale.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

class TGLDummyCube : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::DummyCube; }

    float CubeSize = 1;
};

} // namespace toolkit
