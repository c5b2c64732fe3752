#pragma once
// The base of every object of the scene toolkit: plain data (name, position, orientation, scale,
// visibility, tag values), a per-frame handler and owned children. Nothing here draws: the renderer of the
// display layer reads these objects, and everything else (layout, picking, the display engine) is tested
// without a GL context.
//
// An object owns its children; deleting an object deletes its subtree.

#include "toolkit/GLVectorGeometry.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace toolkit {

enum class TGLObjectKind { Base, DummyCube, HUDText, Torus, Cube, ArrowLine, LightSource, Camera };

class TGLBaseSceneObject {
public:
    // Called by the scene clock with the seconds elapsed since its last advance and its new time.
    using TProgressHandler =
        std::function<void(TGLBaseSceneObject& sender, double deltaTime, double newTime)>;

    explicit TGLBaseSceneObject(std::string name = {});
    virtual ~TGLBaseSceneObject();
    TGLBaseSceneObject(const TGLBaseSceneObject&) = delete;
    TGLBaseSceneObject& operator=(const TGLBaseSceneObject&) = delete;

    virtual TGLObjectKind Kind() const { return TGLObjectKind::Base; }

    std::string Name;
    TVector3 Position;
    TVector3 Scale{1, 1, 1};
    // Rotations in degrees around the object's x (pitch), y (turn) and z (roll) axes.
    float PitchAngle = 0;
    float TurnAngle = 0;
    float RollAngle = 0;
    // A further rotation applied outside the three angles (turning relative to the camera).
    TMatrix4 Orientation;
    bool Visible = true;
    int Tag = 0;
    float TagFloat = 0;
    TProgressHandler OnProgress;
    // False for a subtree whose objects have no frame handlers (the visualization's grid of cubes): the
    // scene clock then does not walk its children, so that it costs nothing per frame.
    bool ProgressChildren = true;

    // Hierarchy.
    TGLBaseSceneObject* Parent() const { return Parent_; }
    int Count() const { return int(Children_.size()); }
    TGLBaseSceneObject& Child(int index) const { return *Children_[std::size_t(index)]; }
    template <class T, class... TArgs> T& AddNewChild(TArgs&&... args) {
        auto child = std::make_unique<T>(std::forward<TArgs>(args)...);
        T& ref = *child;
        Adopt(std::move(child));
        return ref;
    }
    void DeleteChildren();
    // The first object of the subtree (this one included) with the name, or nullptr.
    TGLBaseSceneObject* FindChild(const std::string& name);

    // Transforms: translation, orientation, turn, pitch, roll, scale, in that order from the outside in.
    TMatrix4 LocalMatrix() const;
    TMatrix4 AbsoluteMatrix() const;
    TVector3 AbsolutePosition() const;
    // Moves the object so that its absolute position is the point.
    void SetAbsolutePosition(TVector3 point);
    // Visible, and so are all its parents.
    bool ShownInScene() const;

    // Runs this object's handler, then its children's, depth first. A handler may add objects; it must not
    // delete its own object or one of its parents.
    void DoProgress(double deltaTime, double newTime);

    // Radius of a sphere around the object's origin, in its own units, that holds what it draws;
    // 0 for objects that draw nothing in 3D.
    virtual float BoundingRadius() const { return 0; }

private:
    void Adopt(std::unique_ptr<TGLBaseSceneObject> child);

    TGLBaseSceneObject* Parent_ = nullptr;
    std::vector<std::unique_ptr<TGLBaseSceneObject>> Children_;
};

// Colours of a solid's surface for the fixed-function lighting.
struct TGLMaterial {
    TColorVector Ambient{0.2f, 0.2f, 0.2f, 1};
    TColorVector Diffuse{0.8f, 0.8f, 0.8f, 1};
    TColorVector Emission{0, 0, 0, 1};
    TColorVector Specular{0, 0, 0, 1};
};

// An object drawn with a material (the solids).
class TGLSceneObject : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
    TGLMaterial Material;
};

} // namespace toolkit
