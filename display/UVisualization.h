#pragma once
// The visualization below the lyric area: a square grid of cubes under an anchor of the lyric scene, a
// waterfall of a spectrum's levels. Each update moves the rows of levels one place back (row 0 is the
// newest), fills row 0 from the spectrum times the gain, sets each cube's depth and colour from its level
// and, with beat detection, tints every cube by the overall level. No spectrum source is connected, so every
// sample reads as 1.
//
// Ownership: the main window owns the one instance and recreates it when the radius changes; the cubes are
// the anchor's children, owned by the scene (the main window deletes them before recreating). The clock and
// the settings are the main window's and outlive it.

#include "toolkit/GLVectorGeometry.h"

#include <array>
#include <cstdint>
#include <vector>

namespace config {
class TSettings;
}
namespace platform {
class IClock;
}
namespace toolkit {
class TGLBaseSceneObject;
class TGLCube;
} // namespace toolkit

namespace display {

class TVisualization {
public:
    static constexpr int kMaxRadius = 18;
    // The spectrum: byte samples of 255 bins.
    using TSpectrum = std::array<std::uint8_t, 255>;
    // The colour every cube starts from, and the ends of the three blends.
    static constexpr toolkit::TColorVector kBaseColour{0.36f, 0.25f, 0.20f, 1};
    static constexpr toolkit::TColorVector kOuterColour{0.52f, 0.37f, 0.26f, 1};
    static constexpr toolkit::TColorVector kBeatColour{0, 0, 1, 1};
    static constexpr toolkit::TColorVector kLevelColour{1, 0, 0, 1};

    virtual ~TVisualization();
    TVisualization(const TVisualization&) = delete;
    TVisualization& operator=(const TVisualization&) = delete;

    // One step of the main loop while the visualization is shown: at most one row shift per UpdateTimeMs
    // (and per 30 ms), then the cubes follow the levels.
    virtual void Update();

    int Radius() const { return Radius_; }
    // Rows and columns: 2 x Radius + 1.
    int Size() const { return 2 * Radius_ + 1; }
    float Gain() const { return Gain_; }
    // The K and L keys: the gain times 0.9 or 1.1. It stays within 1/1024 to 1024, beyond which every level
    // would be 1 or 255 anyway, so it never becomes 0 or infinite and can always be turned back.
    void MultiplyGain(float factor);
    // The level at a row (0 newest) and column, 1 to 255.
    float Level(int row, int column) const { return Levels_[std::size_t(row * Size() + column)]; }
    // The cubes in creation order (outer loop across, inner loop up).
    const std::vector<toolkit::TGLCube*>& Cubes() const { return Cubes_; }

    // Not connected: every sample reads as 1.
    const TSpectrum* Spectrum = nullptr;

    // The tick of the last row shift, shared by every instance.
    static std::uint32_t LastRowShift() { return LastRowShift_; }

    // start + t x (end - start) on each colour channel.
    static toolkit::TColorVector Blend(const toolkit::TColorVector& start, const toolkit::TColorVector& end,
                                       float t);

protected:
    TVisualization(int radius, platform::IClock& clock, const config::TSettings& settings);

    std::vector<toolkit::TGLCube*> Cubes_;

private:
    platform::IClock& Clock_;
    const config::TSettings& Settings_;
    int Radius_;
    float Gain_ = 1.0f;
    std::vector<float> Levels_; // row by row
    static inline std::uint32_t LastRowShift_ = 0;
};

class TCubeVisualization : public TVisualization {
public:
    // Builds the (2R + 1)^2 cubes under the anchor, R being the radius limited to 0 to 18.
    TCubeVisualization(int radius, toolkit::TGLBaseSceneObject& anchor, platform::IClock& clock,
                       const config::TSettings& settings);
};

} // namespace display
