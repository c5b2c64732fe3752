#include "display/USceneLook.h"

#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLScene.h"

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
        constexpr float step = 1.0f / 64;
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
    }
    look.Add(std::uint64_t(object.Count()));
    for (int i = 0; i < object.Count(); ++i)
        AddObject(look, object.Child(i));
}

} // namespace

std::uint64_t SceneLook(const TGLScene& scene, const TGLCamera* camera) {
    TLookHash look;
    AddObject(look, scene.Objects);
    if (camera) {
        look.Add(camera->SceneScale, 1e-6f);
        look.Add(camera->FocalLength, kUnit);
        look.Add(std::uint64_t(reinterpret_cast<std::uintptr_t>(camera)));
    }
    return look.Value();
}

} // namespace display
