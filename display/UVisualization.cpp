#include "display/UVisualization.h"

#include "config/USettings.h"
#include "platform/Platform.h"
#include "toolkit/GLCube.h"

#include <algorithm>
#include <cmath>

namespace display {

using toolkit::TColorVector;

namespace {

constexpr float kMinGain = 1.0f / 1024;
constexpr float kMaxGain = 1024;
// Rows move back at most this often, whatever the update interval.
constexpr std::int64_t kMinRowShiftMs = 30;

} // namespace

TColorVector TVisualization::Blend(const TColorVector& start, const TColorVector& end, float t) {
    return {start.R + t * (end.R - start.R), start.G + t * (end.G - start.G), start.B + t * (end.B - start.B),
            start.A + t * (end.A - start.A)};
}

TVisualization::TVisualization(int radius, platform::IClock& clock, const config::TSettings& settings)
    : Clock_(clock), Settings_(settings), Radius_(std::clamp(radius, 0, kMaxRadius)),
      Levels_(std::size_t(Size() * Size()), 1.0f) {}

TVisualization::~TVisualization() = default;

void TVisualization::MultiplyGain(float factor) {
    if (std::isfinite(factor))
        Gain_ = std::clamp(Gain_ * factor, kMinGain, kMaxGain);
}

void TVisualization::Update() {
    const std::uint32_t now = Clock_.TickCount();
    const std::int64_t elapsed = std::uint32_t(now - LastRowShift_); // the tick count wraps
    if (elapsed <= Settings_.UpdateTimeMs())
        return;
    const int n = Size();
    if (elapsed > kMinRowShiftMs) {
        LastRowShift_ = now;
        std::copy_backward(Levels_.begin(), Levels_.end() - n, Levels_.end());
    }

    float sum = 0;
    for (int i = 0; i < n; ++i) {
        const float sample = Spectrum ? float((*Spectrum)[std::size_t(i % 255)]) : 1.0f;
        const float value = std::clamp(std::nearbyint(sample * Gain_), 1.0f, 255.0f);
        Levels_[std::size_t(i)] = value;
        sum += value;
    }

    if (Cubes_.size() != Levels_.size())
        return; // no cubes to show it on
    if (Settings_.VisEnableBeatDetection()) {
        // The overall level tints every cube towards blue. A radius of 0 has one column: it counts as 1.
        const float t = (sum / float(std::max(2 * Radius_, 1))) / 150;
        const TColorVector ambient = Blend(kBaseColour, kBeatColour, t);
        for (toolkit::TGLCube* cube : Cubes_)
            cube->Material.Ambient = ambient;
    }
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const float value = Level(r, c);
            toolkit::TGLCube& cube = *Cubes_[std::size_t(c * n + r)];
            cube.Scale.Z = value / 30;
            cube.Material.Diffuse = Blend(kBaseColour, kLevelColour, value / 250);
        }
}

TCubeVisualization::TCubeVisualization(int radius, toolkit::TGLBaseSceneObject& anchor,
                                       platform::IClock& clock, const config::TSettings& settings)
    : TVisualization(radius, clock, settings) {
    const int r = Radius();
    const float step = 70.0f / float(Size());
    const float edge = step * 0.4f / 30;
    Cubes_.reserve(std::size_t(Size() * Size()));
    for (int d = -r; d <= r; ++d)
        for (int e = -r; e <= r; ++e) {
            auto& cube = anchor.AddNewChild<toolkit::TGLCube>();
            cube.Position = {float(d) * step / 50, float(e) * step / 50, 0};
            cube.CubeWidth = cube.CubeHeight = cube.CubeDepth = edge;
            // From the middle outwards; a radius of 0 is the middle alone.
            const float t = r == 0 ? 0.0f : float(d * d + e * e) / float(3 * r * r);
            cube.Material.Diffuse = Blend(kBaseColour, kOuterColour, t);
            Cubes_.push_back(&cube);
        }
}

} // namespace display
