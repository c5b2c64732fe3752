#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

TGLBaseSceneObject::TGLBaseSceneObject(std::string name) : Name(std::move(name)) {}

TGLBaseSceneObject::~TGLBaseSceneObject() = default;

void TGLBaseSceneObject::Adopt(std::unique_ptr<TGLBaseSceneObject> child) {
    child->Parent_ = this;
    Children_.push_back(std::move(child));
}

void TGLBaseSceneObject::DeleteChildren() {
    Children_.clear();
}

TGLBaseSceneObject* TGLBaseSceneObject::FindChild(const std::string& name) {
    if (Name == name)
        return this;
    for (auto& child : Children_)
        if (TGLBaseSceneObject* found = child->FindChild(name))
            return found;
    return nullptr;
}

TMatrix4 TGLBaseSceneObject::LocalMatrix() const {
    TMatrix4 m = TMatrix4::Translation(Position) * Orientation;
    if (TurnAngle != 0)
        m = m * TMatrix4::Rotation({0, 1, 0}, TurnAngle);
    if (PitchAngle != 0)
        m = m * TMatrix4::Rotation({1, 0, 0}, PitchAngle);
    if (RollAngle != 0)
        m = m * TMatrix4::Rotation({0, 0, 1}, RollAngle);
    return m * TMatrix4::Scaling(Scale);
}

TMatrix4 TGLBaseSceneObject::AbsoluteMatrix() const {
    return Parent_ ? Parent_->AbsoluteMatrix() * LocalMatrix() : LocalMatrix();
}

TVector3 TGLBaseSceneObject::AbsolutePosition() const {
    return Parent_ ? Parent_->AbsoluteMatrix().TransformPoint(Position) : Position;
}

void TGLBaseSceneObject::SetAbsolutePosition(TVector3 point) {
    Position = Parent_ ? Parent_->AbsoluteMatrix().Inverted().TransformPoint(point) : point;
}

bool TGLBaseSceneObject::ShownInScene() const {
    for (const TGLBaseSceneObject* o = this; o; o = o->Parent_)
        if (!o->Visible)
            return false;
    return true;
}

void TGLBaseSceneObject::DoProgress(double deltaTime, double newTime) {
    if (OnProgress)
        OnProgress(*this, deltaTime, newTime);
    if (!ProgressChildren)
        return;
    // By index: a handler may add children here. It must not delete its own object or an ancestor.
    for (std::size_t i = 0; i < Children_.size(); ++i)
        Children_[i]->DoProgress(deltaTime, newTime);
}

} // namespace toolkit
