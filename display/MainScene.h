#pragma once
// The main window's two scenes as laid out at design time: the lyric view (GLSceneTextNoTimestamp) with its
// camera, light, screen texts, visualization anchor and the five playback buttons, and the edit view
// (GLSceneEdit) with the texts the timing editor fills; their bitmap fonts and the scene clock.
//
// The main window owns the one instance. Objects are owned by their scene; the members below point into
// the scenes and stay valid for the life of this object. Plain data: nothing here needs a GL context.

#include "display/GLStoredBitmapFont.h"
#include "toolkit/GLArrowLine.h"
#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLCadencer.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLCube.h"
#include "toolkit/GLDummyCube.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLLightSource.h"
#include "toolkit/GLScene.h"
#include "toolkit/GLTorus.h"

#include <array>

namespace platform {
class IClock;
}

namespace display {

class TMainScene {
public:
    explicit TMainScene(platform::IClock& clock);
    TMainScene(const TMainScene&) = delete;
    TMainScene& operator=(const TMainScene&) = delete;

    // Fonts (declared before the scenes whose texts use them).
    toolkit::TGLBitmapFont GLWindowsBitmapFontNoTimestampExit{"Comic Sans MS", 11};
    toolkit::TGLBitmapFont GLWindowsBitmapFontDownloading{"Verdana", 11};
    TGLStoredBitmapFont GLWindowsBitmapFontTextNoTimestamp{"Lucida Console", 21, 28, 255};
    // Gives the fonts the measure of their system-font texts (the scene viewer's glyph cache); not owned.
    void SetTextMeasure(toolkit::IGLTextMeasure* measure);

    // Lyric view.
    toolkit::TGLScene GLSceneTextNoTimestamp;
    toolkit::TGLDummyCube* GLDummyCubeTextNoTimestamp;
    toolkit::TGLCamera* GLCameraTextNoTimestamp;
    toolkit::TGLLightSource* GLLightSource1;
    toolkit::TGLHUDText* GLHUDTextNoTimestampContainer;
    toolkit::TGLHUDText* GLHUDTextNoTimestampSeperator;
    toolkit::TGLHUDText* GLHUDTextNoTimestampDownloading;
    toolkit::TGLHUDText* GLHUDTextReminder;
    toolkit::TGLHUDText* GLHUDTextLoading;
    toolkit::TGLHUDText* GLHUDTextNoTimestampExit;
    toolkit::TGLHUDText* GLHUDTextNoTimestampMinimize;
    toolkit::TGLHUDText* GLHUDTextNoTimestampFPS;
    toolkit::TGLDummyCube* GLDummyCubeVisualization;
    toolkit::TGLDummyCube* GLDummyCubeButtons;
    // The playback rings; each ring's symbols are its children.
    toolkit::TGLTorus* GLTorusPrev;
    toolkit::TGLTorus* GLTorusPlay;
    toolkit::TGLTorus* GLTorusPause;
    toolkit::TGLTorus* GLTorusStop;
    toolkit::TGLTorus* GLTorusNext;
    toolkit::TGLCube* GLCube1; // the Stop symbol
    // The rings in screen order: Prev, Play, Pause, Stop, Next.
    std::array<toolkit::TGLTorus*, 5> Buttons() const {
        return {GLTorusPrev, GLTorusPlay, GLTorusPause, GLTorusStop, GLTorusNext};
    }

    // Edit view.
    toolkit::TGLScene GLSceneEdit;
    toolkit::TGLDummyCube* GLDummyCubeEdit;
    toolkit::TGLCamera* GLCameraEdit;
    toolkit::TGLLightSource* GLLightSourceEdit;
    toolkit::TGLHUDText* GLHUDTextEditTitle;       // "Edit Lyrics"
    toolkit::TGLHUDText* GLHUDTextEditSongLabel;   // "Song Name:"
    toolkit::TGLHUDText* GLHUDTextEditSaveToLabel; // "Save To:"
    toolkit::TGLHUDText* GLHUDTextLengthLabel;     // "Length:"
    toolkit::TGLHUDText* GLHUDTextEditTimeLabel;   // "Time:"
    toolkit::TGLHUDText* GLHUDTextEditSong;
    toolkit::TGLHUDText* GLHUDTextEditSaveTo;
    toolkit::TGLHUDText* GLHUDTextLength;
    toolkit::TGLHUDText* GLHUDTextEditTime;
    toolkit::TGLHUDText* GLHUDTextEditLyricLyrics;
    toolkit::TGLHUDText* GLHUDTextEditExit;

    // The scene clock, advanced by the main window's display loop; it runs the lyric scene's handlers.
    toolkit::TGLCadencer GLCadencer1;
};

} // namespace display
