#pragma once
// A scene: the root of a tree of scene objects. Cameras and lights are objects of the tree like the others.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

class TGLScene {
public:
    TGLScene() : Objects("Objects") {}
    TGLBaseSceneObject Objects;
};

} // namespace toolkit
