#pragma once
// A camera: where the view looks from and to, and how the scene is projected onto the view.
//
// The projection follows one rule for both styles: at the camera's focal length, one pixel of the view's
// longer side spans 100 / (FocalLength x SceneScale x longer side) scene units (times NearPlaneBias).
// So an orthogonal camera at focal length 50 with scene scale 488 / width shows 244 pixels per scene unit.

#include "toolkit/GLBaseSceneObject.h"

namespace toolkit {

enum class TGLCameraStyle { Perspective, Orthogonal };

class TGLCamera : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::Camera; }

    TGLCameraStyle CameraStyle = TGLCameraStyle::Perspective;
    // The object looked at; without one the camera looks down its negative z axis.
    TGLBaseSceneObject* TargetObject = nullptr;
    float DepthOfView = 100;
    float FocalLength = 50;
    float SceneScale = 1;
    float NearPlaneBias = 1;
    TVector3 Up{0, 1, 0};

    TVector3 TargetPoint() const;
    // Unit vectors of the view in scene space: forward (into the screen), right and up.
    TVector3 ViewDirection() const;
    TVector3 ViewRight() const;
    TVector3 ViewUp() const;

    TMatrix4 ViewMatrix() const;
    TMatrix4 ProjectionMatrix(int viewWidth, int viewHeight) const;
    float NearPlane() const { return 0.1f * NearPlaneBias; }

    // Turns an object about its own origin around the camera's right axis (pitch) and up axis (turn).
    void RotateObject(TGLBaseSceneObject& object, float pitchDelta, float turnDelta) const;
};

} // namespace toolkit
