#pragma once
// A point light (a spot light when SpotCutOff is below 180 degrees) for the fixed-function lighting.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

class TGLLightSource : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::LightSource; }

    bool Shining = true;
    float SpotCutOff = 180;
    TColorVector Ambient{0, 0, 0, 1};
    TColorVector Diffuse{1, 1, 1, 1};
    TColorVector Specular{1, 1, 1, 1};
};

} // namespace toolkit
