#pragma once
// A fingerprint of what a scene looks like through a camera: visibility, positions, orientations, scales,
// colours, texts and fonts of every shown object, each rounded finer than the eye follows in motion (half a
// pixel for screen texts, 1/64 for colour components). The display loop advances the scene every tick
// but draws it again only when the fingerprint changed, so a song at rest does not keep a core busy.
//
// Screen texts, lights and the camera are read as they are drawn; solids by their place, turn and
// material. Two scenes that look alike give the same value; any visible change gives another (up to hash
// collisions, which would only delay a frame until the next change).

#include <cstdint>

namespace toolkit {
class TGLCamera;
class TGLScene;
} // namespace toolkit

namespace display {

std::uint64_t SceneLook(const toolkit::TGLScene& scene, const toolkit::TGLCamera* camera);

} // namespace display
