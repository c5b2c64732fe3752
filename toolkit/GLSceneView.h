#pragma once
// What a scene view shows: which scene, through which camera, at which size in pixels. It answers the
// questions the window asks about its view without drawing: where a pixel lies in the scene, where a scene
// point lies on the view, and which object is under a pixel. The renderer uses the same matrices.
//
// The scene and camera are not owned.

#include "toolkit/GLVectorGeometry.h"

namespace toolkit {

class TGLBaseSceneObject;
class TGLCamera;
class TGLScene;

class TGLSceneView {
public:
    TGLScene* Scene = nullptr;
    TGLCamera* Camera = nullptr;
    int Width = 1;
    int Height = 1;
    TColorVector BackgroundColor{0, 0, 0, 1};
    // Device pixels per pixel of the view (set by whoever draws it); the lyrics are placed on whole device
    // pixels.
    double PixelRatio = 1;

    // Projection times view matrix of the camera at the current size (the identity without a camera).
    TMatrix4 ViewProjection() const;

    // The scene point under a pixel (x from the left, y from the top), on the plane through the camera's
    // target facing the camera, moved `depth` scene units towards the camera.
    TVector3 ScreenToWorld(float x, float y, float depth = 0) const;
    // The pixel of a scene point (x from the left, y from the top); Z is the depth from -1 (near) to 1 (far).
    TVector3 WorldToScreen(TVector3 point) const;

    // The object drawn at the pixel, or nullptr: screen texts first (they are drawn over the 3D scene, the
    // last drawn on top), then the nearest solid whose bounding sphere covers the pixel. Hidden objects and
    // objects under a hidden parent are never found.
    TGLBaseSceneObject* PickObject(float x, float y) const;
};

} // namespace toolkit
