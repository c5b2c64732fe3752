#include "display/USceneLook.h"

#include "toolkit/GLArrowLine.h"
#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLCube.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLLightSource.h"
#include "toolkit/GLScene.h"
#include "toolkit/GLTorus.h"

#include <cmath>
#include <functional>
#include <string>

namespace display {

namespace {

using namespace toolkit;

class TLookHash {
public:
    void Add(std::uint64_t value) {
        // FNV-1a over the value's bytes.
        for (int i = 0; i < 8; ++i) {
            Hash_ ^= (value >> (8 * i)) & 0xff;
            Hash_ *= 1099511628211ull;
        }
    }
    void Add(float value, float step) {
        Add(std::uint64_t(std::int64_t(std::llround(double(value) / step))));
    }
    void Add(const TVector3& v, float step) {
        Add(v.X, step);
        Add(v.Y, step);
        Add(v.Z, step);
    }
    void Add(const TColorVector& c) {
        constexpr float step = 1.0f / 256; // a level of an 8-bit colour channel
        Add(c.R, step);
        Add(c.G, step);
        Add(c.B, step);
        Add(c.A, step);
    }
    void Add(const std::string& text) { Add(std::uint64_t(std::hash<std::string>()(text))); }
    std::uint64_t Value() const { return Hash_; }

private:
    std::uint64_t Hash_ = 1469598103934665603ull;
};

constexpr float kPixel = 0.5f;   // screen texts, in pixels
constexpr float kUnit = 0.0005f; // scene units
constexpr float kDegree = 0.25f; // angles

// The sizes of solids, and what a light gives.
void AddShape(TLookHash& look, const TGLBaseSceneObject& object) {
    switch (object.Kind()) {
    case TGLObjectKind::Torus: {
        const auto& torus = static_cast<const TGLTorus&>(object);
        look.Add(torus.MajorRadius, kUnit);
        look.Add(torus.MinorRadius, kUnit);
        look.Add(std::uint64_t(torus.Rings));
        look.Add(std::uint64_t(torus.Sides));
        break;
    }
    case TGLObjectKind::Cube: {
        const auto& cube = static_cast<const TGLCube&>(object);
        look.Add(TVector3{cube.CubeWidth, cube.CubeHeight, cube.CubeDepth}, kUnit);
        break;
    }
    case TGLObjectKind::ArrowLine: {
        const auto& arrow = static_cast<const TGLArrowLine&>(object);
        look.Add(TVector3{arrow.Height, arrow.BottomRadius, arrow.TopRadius}, kUnit);
        look.Add(TVector3{arrow.TopArrowHeadHeight, arrow.TopArrowHeadRadius, 0}, kUnit);
        look.Add(std::uint64_t(arrow.Slices));
        break;
    }
    case TGLObjectKind::LightSource: {
        const auto& light = static_cast<const TGLLightSource&>(object);
        look.Add(std::uint64_t(light.Shining));
        look.Add(light.SpotCutOff, kDegree);
        look.Add(light.Ambient);
        look.Add(light.Diffuse);
        look.Add(light.Specular);
        break;
    }
    default:
        break;
    }
}

void AddObject(TLookHash& look, const TGLBaseSceneObject& object) {
    look.Add(std::uint64_t(object.Visible));
    if (!object.Visible)
        return; // nothing of a hidden object or its children is drawn
    look.Add(std::uint64_t(object.Kind()));
    if (object.Kind() == TGLObjectKind::HUDText) {
        const auto& text = static_cast<const TGLHUDText&>(object);
        look.Add(text.Position, kPixel);
        look.Add(text.Scale, kUnit);
        look.Add(text.Text);
        look.Add(text.ModulateColor);
        look.Add(std::uint64_t(text.Alignment));
        look.Add(std::uint64_t(reinterpret_cast<std::uintptr_t>(text.BitmapFont)));
        look.Add(std::uint64_t(text.BitmapFont ? text.BitmapFont->Version() : 0));
    } else {
        look.Add(object.Position, kUnit);
        look.Add(object.Scale, kUnit);
        look.Add(object.PitchAngle, kDegree);
        look.Add(object.TurnAngle, kDegree);
        look.Add(object.RollAngle, kDegree);
        for (float m : object.Orientation.M)
            look.Add(m, kUnit);
        if (const auto* solid = dynamic_cast<const TGLSceneObject*>(&object)) {
            look.Add(solid->Material.Ambient);
            look.Add(solid->Material.Diffuse);
            look.Add(solid->Material.Emission);
            look.Add(solid->Material.Specular);
        }
        AddShape(look, object);
    }
    look.Add(std::uint64_t(object.Count()));
    for (int i = 0; i < object.Count(); ++i)
        AddObject(look, object.Child(i));
}

} // namespace

std::uint64_t SceneLook(const TGLScene& scene, const TGLCamera* camera, const TColorVector& background) {
    TLookHash look;
    AddObject(look, scene.Objects);
    look.Add(background);
    if (camera) {
        look.Add(std::uint64_t(reinterpret_cast<std::uintptr_t>(camera)));
        look.Add(std::uint64_t(camera->CameraStyle));
        look.Add(camera->SceneScale, 1e-6f);
        look.Add(camera->FocalLength, kUnit);
        look.Add(camera->DepthOfView, kUnit);
        look.Add(camera->NearPlaneBias, kUnit);
        // Where it stands and looks, wherever in the scene its place and target come from.
        for (float m : camera->ViewMatrix().M)
            look.Add(m, kUnit);
    }
    return look.Value();
}

} // namespace display
