#include "display/MainScene.h"

#include <string>

namespace display {

using namespace toolkit;

namespace {

TGLHUDText& AddText(TGLBaseSceneObject& parent, const char* name, const std::string& text, float x, float y,
                    TGLBitmapFont& font, TColorVector color = {1, 1, 1, 1}, bool visible = true) {
    auto& t = parent.AddNewChild<TGLHUDText>(name);
    t.Text = text;
    t.Position = {x, y, 0};
    t.BitmapFont = &font;
    t.ModulateColor = color;
    t.Visible = visible;
    return t;
}

// A ring of the playback buttons at x within the buttons anchor.
TGLTorus& AddRing(TGLBaseSceneObject& anchor, const char* name, float x) {
    auto& ring = anchor.AddNewChild<TGLTorus>(name);
    ring.Position = {x, 0, 0};
    ring.MajorRadius = 0.4f;
    ring.MinorRadius = 0.08f;
    ring.Rings = 15;
    ring.Sides = 8;
    ring.Material.Diffuse = {0.6f, 0.6f, 0.8f, 1};
    return ring;
}

// An arrow inside a ring pointing left (-1) or right (1), at x within the ring.
void AddArrow(TGLTorus& ring, float x, int direction) {
    auto& arrow = ring.AddNewChild<TGLArrowLine>();
    arrow.Position = {x, 0, 0};
    arrow.TurnAngle = direction < 0 ? -90.0f : 90.0f; // the arrow's z axis onto -x or +x
    arrow.Height = 0.14f;
    arrow.BottomRadius = 0.04f;
    arrow.TopRadius = 0.04f;
    arrow.TopArrowHeadHeight = 0.14f;
    arrow.TopArrowHeadRadius = 0.11f;
    arrow.Material = ring.Material;
}

} // namespace

void TMainScene::SetTextMeasure(toolkit::IGLTextMeasure* measure) {
    GLWindowsBitmapFontNoTimestampExit.SetTextMeasure(measure);
    GLWindowsBitmapFontDownloading.SetTextMeasure(measure);
    GLWindowsBitmapFontTextNoTimestamp.SetTextMeasure(measure);
}

TMainScene::TMainScene(platform::IClock& clock) : GLCadencer1(clock) {
    TGLBaseSceneObject& root = GLSceneTextNoTimestamp.Objects;

    GLDummyCubeTextNoTimestamp = &root.AddNewChild<TGLDummyCube>("GLDummyCubeTextNoTimestamp");
    GLDummyCubeTextNoTimestamp->CubeSize = 1;

    GLCameraTextNoTimestamp = &root.AddNewChild<TGLCamera>("GLCameraTextNoTimestamp");
    GLCameraTextNoTimestamp->CameraStyle = TGLCameraStyle::Orthogonal;
    GLCameraTextNoTimestamp->Position = {0, 0, 100};
    GLCameraTextNoTimestamp->TargetObject = GLDummyCubeTextNoTimestamp;
    GLCameraTextNoTimestamp->DepthOfView = 1000;
    GLCameraTextNoTimestamp->FocalLength = 50;

    GLLightSource1 = &root.AddNewChild<TGLLightSource>("GLLightSource1");
    GLLightSource1->Position = {0, -20, 50};
    GLLightSource1->SpotCutOff = 180;

    TGLBitmapFont& lyricFont = GLWindowsBitmapFontTextNoTimestamp;
    GLHUDTextNoTimestampContainer = &AddText(root, "GLHUDTextNoTimestampContainer", "", 200, 0, lyricFont);
    GLHUDTextNoTimestampContainer->Alignment = TAlignment::Center;
    GLHUDTextNoTimestampSeperator =
        &AddText(root, "GLHUDTextNoTimestampSeperator", "___", 233, 180, lyricFont);
    GLHUDTextNoTimestampSeperator->Alignment = TAlignment::Center;
    GLHUDTextNoTimestampSeperator->TagFloat = 158;
    GLHUDTextNoTimestampDownloading = &AddText(root, "GLHUDTextNoTimestampDownloading", "", 2, 280,
                                               GLWindowsBitmapFontDownloading, {0.55f, 0.47f, 0.14f, 1});
    GLHUDTextReminder =
        &AddText(root, "GLHUDTextReminder", "Click here to enter your Versevault account information..", 15,
                 0, GLWindowsBitmapFontDownloading, {0.3725f, 0.6235f, 0.6235f, 1}, false);
    GLHUDTextLoading =
        &AddText(root, "GLHUDTextLoading", "Loading..", 350, 150, lyricFont, {0.7529f, 0.7529f, 0.7529f, 1});
    GLHUDTextNoTimestampExit = &AddText(root, "GLHUDTextNoTimestampExit", "X", 0, -3,
                                        GLWindowsBitmapFontNoTimestampExit, {1, 1, 1, 1}, false);
    GLHUDTextNoTimestampMinimize = &AddText(root, "GLHUDTextNoTimestampMinimize", "_", 0, -6,
                                            GLWindowsBitmapFontNoTimestampExit, {1, 1, 1, 1}, false);
    GLHUDTextNoTimestampFPS = &AddText(root, "GLHUDTextNoTimestampFPS", "FPS:", 0, -3,
                                       GLWindowsBitmapFontNoTimestampExit, {1, 1, 1, 1}, false);

    GLDummyCubeVisualization = &root.AddNewChild<TGLDummyCube>("GLDummyCubeVisualization");
    GLDummyCubeVisualization->PitchAngle = 40;
    GLDummyCubeVisualization->RollAngle = 5;
    GLDummyCubeVisualization->TurnAngle = 8;
    GLDummyCubeVisualization->Scale = {0.5f, 0.5f, 0.5f};
    GLDummyCubeVisualization->TagFloat = 62;            // the design value 70 is replaced at start-up
    GLDummyCubeVisualization->ProgressChildren = false; // its cubes have no frame handlers

    GLDummyCubeButtons = &root.AddNewChild<TGLDummyCube>("GLDummyCubeButtons");
    GLDummyCubeButtons->Position = {-0.94f, -0.6f, 0};
    GLDummyCubeButtons->Scale = {0.08f, 0.08f, 0.08f};

    GLTorusPrev = &AddRing(*GLDummyCubeButtons, "GLTorusPrev", 0);
    AddArrow(*GLTorusPrev, -0.1f, -1);
    AddArrow(*GLTorusPrev, 0.1f, -1);
    GLTorusPlay = &AddRing(*GLDummyCubeButtons, "GLTorusPlay", 1.2f);
    AddArrow(*GLTorusPlay, 0, 1);
    GLTorusPause = &AddRing(*GLDummyCubeButtons, "GLTorusPause", 2.4f);
    for (float x : {-0.09f, 0.09f}) {
        // Small rings seen edge-on stand as the two bars.
        auto& bar = GLTorusPause->AddNewChild<TGLTorus>();
        bar.Position = {x, 0, 0};
        bar.TurnAngle = 90;
        bar.MajorRadius = 0.14f;
        bar.MinorRadius = 0.04f;
        bar.Rings = 12;
        bar.Sides = 6;
        bar.Material = GLTorusPause->Material;
    }
    GLTorusStop = &AddRing(*GLDummyCubeButtons, "GLTorusStop", 3.6f);
    GLCube1 = &GLTorusStop->AddNewChild<TGLCube>("GLCube1");
    GLCube1->CubeWidth = GLCube1->CubeHeight = GLCube1->CubeDepth = 0.345f;
    GLCube1->Material = GLTorusStop->Material;
    GLTorusNext = &AddRing(*GLDummyCubeButtons, "GLTorusNext", 4.8f);
    AddArrow(*GLTorusNext, -0.1f, 1);
    AddArrow(*GLTorusNext, 0.1f, 1);

    // Edit view.
    TGLBaseSceneObject& edit = GLSceneEdit.Objects;
    GLDummyCubeEdit = &edit.AddNewChild<TGLDummyCube>("GLDummyCubeEdit");
    GLDummyCubeEdit->Visible = false;
    GLCameraEdit = &edit.AddNewChild<TGLCamera>("GLCameraEdit");
    GLCameraEdit->CameraStyle = TGLCameraStyle::Perspective;
    GLCameraEdit->Position = {0, 0, 4};
    GLCameraEdit->TargetObject = GLDummyCubeEdit;
    GLLightSourceEdit = &edit.AddNewChild<TGLLightSource>("GLLightSourceEdit");
    GLLightSourceEdit->Position = {0, 0, 20};

    TGLBitmapFont& labelFont = GLWindowsBitmapFontDownloading;
    const TColorVector label{0.55f, 0.47f, 0.14f, 1};
    const TColorVector value{0.45f, 0.45f, 0.45f, 1};
    GLHUDTextEditTitle = &AddText(edit, "GLHUDTextEditTitle", "Edit Lyrics", 5, 2, labelFont);
    GLHUDTextEditSongLabel = &AddText(edit, "GLHUDTextEditSongLabel", "Song Name:", 20, 16, labelFont, label);
    GLHUDTextEditSaveToLabel =
        &AddText(edit, "GLHUDTextEditSaveToLabel", "Save To:", 20, 30, labelFont, label);
    GLHUDTextLengthLabel = &AddText(edit, "GLHUDTextLengthLabel", "Length:", 20, 45, labelFont, label);
    GLHUDTextEditTimeLabel = &AddText(edit, "GLHUDTextEditTimeLabel", "Time:", 20, 60, labelFont, label);
    GLHUDTextEditSong = &AddText(edit, "GLHUDTextEditSong", "", 90, 16, labelFont, value);
    GLHUDTextEditSaveTo = &AddText(edit, "GLHUDTextEditSaveTo", "", 90, 30, labelFont, value);
    GLHUDTextLength = &AddText(edit, "GLHUDTextLength", "", 90, 45, labelFont, value);
    GLHUDTextEditTime = &AddText(edit, "GLHUDTextEditTime", "", 90, 60, labelFont, value);
    GLHUDTextEditLyricLyrics =
        &AddText(edit, "GLHUDTextEditLyricLyrics", "Lyrics", 0, 85, lyricFont, {0.75f, 0.75f, 0.75f, 1});
    GLHUDTextEditLyricLyrics->Alignment = TAlignment::Center;
    GLHUDTextEditExit = &AddText(edit, "GLHUDTextEditExit", "X", 0, -3, GLWindowsBitmapFontNoTimestampExit,
                                 {1, 1, 1, 1}, false);

    GLCadencer1.Scene = &GLSceneTextNoTimestamp;
}

} // namespace display
