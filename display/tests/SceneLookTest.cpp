// The scene's fingerprint, which decides whether the display draws a frame: every property the renderer
// draws from changes it, by the smallest step the eye can see; hidden objects and steps below what is drawn
// do not.
#include "display/USceneLook.h"

#include "toolkit/GLArrowLine.h"
#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLCube.h"
#include "toolkit/GLDummyCube.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLLightSource.h"
#include "toolkit/GLScene.h"
#include "toolkit/GLTorus.h"

#include <gtest/gtest.h>

#include <functional>

using namespace toolkit;

namespace {

struct TLookScene {
    TLookScene() {
        Camera = &Scene.Objects.AddNewChild<TGLCamera>("Camera");
        Camera->Position = {0, 0, 10};
        Light = &Scene.Objects.AddNewChild<TGLLightSource>("Light");
        Anchor = &Scene.Objects.AddNewChild<TGLDummyCube>("Anchor");
        Torus = &Anchor->AddNewChild<TGLTorus>("Torus");
        Cube = &Anchor->AddNewChild<TGLCube>("Cube");
        Arrow = &Anchor->AddNewChild<TGLArrowLine>("Arrow");
        Text = &Scene.Objects.AddNewChild<TGLHUDText>("Text");
        Text->Text = "a line";
        Text->BitmapFont = &Font;
        Text->Position = {100, 50, 0};
        Hidden = &Scene.Objects.AddNewChild<TGLHUDText>("Hidden");
        Hidden->Visible = false;
        Hidden->Text = "hidden";
    }
    std::uint64_t Look() const { return display::SceneLook(Scene, Camera, Background); }

    TGLScene Scene;
    TGLBitmapFont Font{"Arial", 14}, OtherFont{"Arial", 14};
    TColorVector Background{0, 0, 0, 1};
    TGLCamera* Camera;
    TGLLightSource* Light;
    TGLDummyCube* Anchor;
    TGLTorus* Torus;
    TGLCube* Cube;
    TGLArrowLine* Arrow;
    TGLHUDText* Text;
    TGLHUDText* Hidden;
};

} // namespace

TEST(SceneLookTest, EveryDrawnPropertyChangesTheLook) {
    constexpr float kColorLevel = 1.0f / 255;
    const struct {
        const char* what;
        std::function<void(TLookScene&)> change;
    } cases[] = {
        {"text", [](TLookScene& s) { s.Text->Text = "a lime"; }},
        {"text x by a pixel", [](TLookScene& s) { s.Text->Position.X += 1; }},
        {"text y by a pixel", [](TLookScene& s) { s.Text->Position.Y += 1; }},
        {"text scale", [](TLookScene& s) { s.Text->Scale.Y = 1.05f; }},
        {"text red by one level", [](TLookScene& s) { s.Text->ModulateColor.R -= kColorLevel; }},
        {"text blue by one level", [](TLookScene& s) { s.Text->ModulateColor.B -= kColorLevel; }},
        {"text alpha by one level", [](TLookScene& s) { s.Text->ModulateColor.A -= kColorLevel; }},
        {"text hidden", [](TLookScene& s) { s.Text->Visible = false; }},
        {"hidden text shown", [](TLookScene& s) { s.Hidden->Visible = true; }},
        {"text alignment", [](TLookScene& s) { s.Text->Alignment = TAlignment::Center; }},
        {"text font", [](TLookScene& s) { s.Text->BitmapFont = &s.OtherFont; }},
        {"font loaded again", [](TLookScene& s) { s.Font.Changed(); }},
        {"text added", [](TLookScene& s) { s.Scene.Objects.AddNewChild<TGLHUDText>().Text = "new"; }},
        {"anchor moved", [](TLookScene& s) { s.Anchor->Position.X += 0.01f; }},
        {"anchor hidden", [](TLookScene& s) { s.Anchor->Visible = false; }},
        {"torus turned", [](TLookScene& s) { s.Torus->PitchAngle += 1; }},
        {"torus rolled", [](TLookScene& s) { s.Torus->RollAngle += 1; }},
        {"torus scaled", [](TLookScene& s) { s.Torus->Scale.X = 1.1f; }},
        {"torus blue", [](TLookScene& s) { s.Torus->Material.Diffuse.B -= kColorLevel; }},
        {"torus ambient", [](TLookScene& s) { s.Torus->Material.Ambient.G += kColorLevel; }},
        {"torus emission", [](TLookScene& s) { s.Torus->Material.Emission.R += kColorLevel; }},
        {"torus specular", [](TLookScene& s) { s.Torus->Material.Specular.R += kColorLevel; }},
        {"torus radius", [](TLookScene& s) { s.Torus->MinorRadius += 0.01f; }},
        {"torus rings", [](TLookScene& s) { s.Torus->Rings += 1; }},
        {"cube size", [](TLookScene& s) { s.Cube->CubeDepth += 0.01f; }},
        {"arrow head", [](TLookScene& s) { s.Arrow->TopArrowHeadRadius += 0.01f; }},
        {"arrow slices", [](TLookScene& s) { s.Arrow->Slices += 1; }},
        {"light off", [](TLookScene& s) { s.Light->Shining = false; }},
        {"light colour", [](TLookScene& s) { s.Light->Diffuse.R -= kColorLevel; }},
        {"light spot", [](TLookScene& s) { s.Light->SpotCutOff = 45; }},
        {"light moved", [](TLookScene& s) { s.Light->Position.Y += 0.01f; }},
        {"camera moved", [](TLookScene& s) { s.Camera->Position.X += 0.01f; }},
        {"camera scale", [](TLookScene& s) { s.Camera->SceneScale *= 1.001f; }},
        {"camera focal length", [](TLookScene& s) { s.Camera->FocalLength += 1; }},
        {"camera style", [](TLookScene& s) { s.Camera->CameraStyle = TGLCameraStyle::Orthogonal; }},
        {"camera depth of view", [](TLookScene& s) { s.Camera->DepthOfView += 1; }},
        {"background", [](TLookScene& s) { s.Background.B += kColorLevel; }},
    };
    for (const auto& c : cases) {
        TLookScene scene;
        const std::uint64_t before = scene.Look();
        EXPECT_EQ(scene.Look(), before) << c.what; // the same scene, the same look
        c.change(scene);
        EXPECT_NE(scene.Look(), before) << c.what;
    }
}

TEST(SceneLookTest, WhatIsNotDrawnLeavesTheLookAlone) {
    const struct {
        const char* what;
        std::function<void(TLookScene&)> setUp, change;
    } cases[] = {
        {"hidden text changed", nullptr, [](TLookScene& s) { s.Hidden->Text = "other"; }},
        {"hidden text moved", nullptr, [](TLookScene& s) { s.Hidden->Position.Y += 40; }},
        {"text moved by a tenth of a pixel", nullptr, [](TLookScene& s) { s.Text->Position.Y += 0.1f; }},
        {"tag", nullptr, [](TLookScene& s) { s.Text->Tag = 7; }},
        {"child of a hidden anchor turned", [](TLookScene& s) { s.Anchor->Visible = false; },
         [](TLookScene& s) { s.Torus->PitchAngle += 90; }},
    };
    for (const auto& c : cases) {
        TLookScene scene;
        if (c.setUp)
            c.setUp(scene);
        const std::uint64_t before = scene.Look();
        c.change(scene);
        EXPECT_EQ(scene.Look(), before) << c.what;
    }
}
