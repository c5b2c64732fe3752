#include "toolkit/GLSceneView.h"

#include "toolkit/GLCamera.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLScene.h"

#include <algorithm>
#include <cmath>

namespace toolkit {

namespace {

// Visits the shown objects depth first, in drawing order.
template <class F> void ForEachShown(const TGLBaseSceneObject& object, F&& visit) {
    if (!object.Visible)
        return;
    visit(object);
    for (int i = 0; i < object.Count(); ++i)
        ForEachShown(object.Child(i), visit);
}

} // namespace

TMatrix4 TGLSceneView::ViewProjection() const {
    if (!Camera)
        return {};
    return Camera->ProjectionMatrix(Width, Height) * Camera->ViewMatrix();
}

TVector3 TGLSceneView::ScreenToWorld(float x, float y, float depth) const {
    const TMatrix4 inverse = ViewProjection().Inverted();
    const float nx = 2 * x / float(std::max(Width, 1)) - 1;
    const float ny = 1 - 2 * y / float(std::max(Height, 1));
    const TVector3 nearPoint = inverse.TransformPoint({nx, ny, -1});
    const TVector3 farPoint = inverse.TransformPoint({nx, ny, 1});
    if (!Camera)
        return nearPoint;
    const TVector3 forward = Camera->ViewDirection();
    const TVector3 planePoint = Camera->TargetPoint() - forward * depth;
    const TVector3 ray = farPoint - nearPoint;
    const float along = Dot(ray, forward);
    if (along == 0)
        return nearPoint;
    return nearPoint + ray * (Dot(planePoint - nearPoint, forward) / along);
}

TVector3 TGLSceneView::WorldToScreen(TVector3 point) const {
    const TVector3 ndc = ViewProjection().TransformPoint(point);
    return {(ndc.X + 1) / 2 * float(Width), (1 - ndc.Y) / 2 * float(Height), ndc.Z};
}

TGLBaseSceneObject* TGLSceneView::PickObject(float x, float y) const {
    if (!Scene)
        return nullptr;
    const TGLBaseSceneObject* text = nullptr;
    ForEachShown(Scene->Objects, [&](const TGLBaseSceneObject& o) {
        if (o.Kind() == TGLObjectKind::HUDText && static_cast<const TGLHUDText&>(o).ScreenRect().Contains(x, y))
            text = &o;
    });
    if (text)
        return const_cast<TGLBaseSceneObject*>(text);
    if (!Camera)
        return nullptr;

    const TGLBaseSceneObject* nearest = nullptr;
    float nearestDepth = 0;
    const TVector3 right = Camera->ViewRight();
    ForEachShown(Scene->Objects, [&](const TGLBaseSceneObject& o) {
        const float radius = o.BoundingRadius();
        if (radius <= 0)
            return;
        const TMatrix4 m = o.AbsoluteMatrix();
        const TVector3 centre = m.TransformPoint({0, 0, 0});
        const float scale = std::max({Length(m.TransformVector({1, 0, 0})), Length(m.TransformVector({0, 1, 0})),
                                      Length(m.TransformVector({0, 0, 1}))});
        const TVector3 c = WorldToScreen(centre);
        const TVector3 edge = WorldToScreen(centre + right * (radius * scale));
        const float pixels = std::hypot(edge.X - c.X, edge.Y - c.Y);
        if (std::hypot(x - c.X, y - c.Y) <= pixels && (!nearest || c.Z < nearestDepth)) {
            nearest = &o;
            nearestDepth = c.Z;
        }
    });
    return const_cast<TGLBaseSceneObject*>(nearest);
}

} // namespace toolkit
