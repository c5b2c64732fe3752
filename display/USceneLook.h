#pragma once
// A fingerprint of what a scene looks like through a camera: visibility, positions, orientations, scales,
// colours, texts and fonts of every shown object, each rounded finer than the eye sees (half a pixel for
// screen texts, one level of an 8-bit channel for colours). The display loop draws the scene again only when
// the fingerprint changed, so a step that changes nothing visible costs no frame.
//
// Everything the renderer reads is in it: screen texts as they are drawn; solids by their place, turn, size
// and material; lights; the camera; the background. Two scenes that look alike give the same value; any
// visible change gives another (up to hash collisions, which would only delay a frame until the next change).

#include "toolkit/GLVectorGeometry.h"

#include <cstdint>

namespace toolkit {
class TGLCamera;
class TGLScene;
} // namespace toolkit

namespace display {

std::uint64_t SceneLook(const toolkit::TGLScene& scene, const toolkit::TGLCamera* camera,
                        const toolkit::TColorVector& background = {0, 0, 0, 1});

} // namespace display
