#include "toolkit/GLCamera.h"

#include <algorithm>

namespace toolkit {

TVector3 TGLCamera::TargetPoint() const {
    if (TargetObject)
        return TargetObject->AbsolutePosition();
    return AbsolutePosition() + AbsoluteMatrix().TransformVector({0, 0, -1});
}

TVector3 TGLCamera::ViewDirection() const {
    const TVector3 d = Normalized(TargetPoint() - AbsolutePosition());
    return Length(d) > 0 ? d : TVector3{0, 0, -1};
}

TVector3 TGLCamera::ViewRight() const {
    TVector3 r = Normalized(Cross(ViewDirection(), Up));
    return Length(r) > 0 ? r : TVector3{1, 0, 0};
}

TVector3 TGLCamera::ViewUp() const { return Cross(ViewRight(), ViewDirection()); }

TMatrix4 TGLCamera::ViewMatrix() const {
    const TVector3 eye = AbsolutePosition();
    return TMatrix4::LookAt(eye, eye + ViewDirection(), Up);
}

TMatrix4 TGLCamera::ProjectionMatrix(int viewWidth, int viewHeight) const {
    const float w = float(std::max(viewWidth, 1));
    const float h = float(std::max(viewHeight, 1));
    const float scale = SceneScale != 0 ? SceneScale : 1;
    const float focal = FocalLength != 0 ? FocalLength : 1;
    const float perPixel = 100 * NearPlaneBias / (focal * scale * std::max(w, h));
    const float halfW = w / 2 * perPixel;
    const float halfH = h / 2 * perPixel;
    const float zNear = NearPlane();
    const float zFar = std::max(DepthOfView, zNear * 2);
    if (CameraStyle == TGLCameraStyle::Orthogonal)
        return TMatrix4::Ortho(-halfW, halfW, -halfH, halfH, -zFar, zFar);
    // The same extent at distance 1 from the eye, scaled down to the near plane.
    return TMatrix4::Frustum(-halfW * zNear, halfW * zNear, -halfH * zNear, halfH * zNear, zNear, zFar);
}

void TGLCamera::RotateObject(TGLBaseSceneObject& object, float pitchDelta, float turnDelta) const {
    // The camera's axes, expressed in the frame of the object's parent.
    TMatrix4 toParent;
    if (object.Parent())
        toParent = object.Parent()->AbsoluteMatrix().Inverted();
    const TVector3 right = Normalized(toParent.TransformVector(ViewRight()));
    const TVector3 up = Normalized(toParent.TransformVector(ViewUp()));
    object.Orientation =
        TMatrix4::Rotation(up, turnDelta) * TMatrix4::Rotation(right, pitchDelta) * object.Orientation;
}

} // namespace toolkit
