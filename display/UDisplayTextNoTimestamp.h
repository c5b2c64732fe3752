#pragma once
// The lyric display engine: draws the lyric document as one screen text per line in the lyric scene. For
// timestamped lyrics it finds the current line from the song clock every frame, highlights it, fades the
// lines around it and scrolls so that the current line moves to the middle of the lyric area, gliding
// between lines if asked to; plain lyrics are a page the user scrolls. It owns the display's handling of
// keys, wheel and mouse while the main window shows lyrics.
//
// The main window creates the one instance and keeps everything it is given alive longer than it: the
// scene objects, the scene view (size, camera, picking), the document, the settings, the player session,
// the scroll state shared with the window frame, and the host (the main window itself). Line objects are
// made once per song by RebuildLines; a frame only recolours and moves them and allocates nothing.

#include "display/IDisplayHost.h"
#include "display/ScrollState.h"

#include <cstdint>

namespace config {
class TSettings;
}
namespace lyrics {
class TTextLyrics;
}
namespace player {
class TPlayerSession;
}
namespace toolkit {
class TGLBaseSceneObject;
class TGLHUDText;
class TGLSceneView;
} // namespace toolkit

namespace display {

class TMainScene;

// Keys the engine acts on; the main window maps its key events to these.
enum class TDisplayKey { Other, F, J, K, L, NumPlus, NumMinus };

class TDisplayTextNoTimestamp {
public:
    TDisplayTextNoTimestamp(TMainScene& scene, toolkit::TGLSceneView& view, lyrics::TTextLyrics& lyrics,
                            config::TSettings& settings, player::TPlayerSession& session,
                            TScrollState& scroll, IDisplayHost& host);
    TDisplayTextNoTimestamp(const TDisplayTextNoTimestamp&) = delete;
    TDisplayTextNoTimestamp& operator=(const TDisplayTextNoTimestamp&) = delete;

    int CurrentLine = -1;
    int HighlightedLine = 0;
    toolkit::TGLBaseSceneObject* HoverObject = nullptr;
    toolkit::TGLBaseSceneObject* PressedObject = nullptr;
    int MouseX = 0;
    int MouseY = 0;

    // Builds the line objects for the current document and resets scrolling.
    void RebuildLines();
    // The per-frame update, run by the scene clock.
    void UpdateFrame(double deltaTime, double newTime);
    // Scroll target for timestamped lyrics, then the lines are placed.
    void AutoScroll();
    // Puts every line at its vertical position for a scroll offset.
    void PlaceLines(double offset);
    // Places the lines for the current ScrollPosition.
    void ApplyScroll();
    // Clamps and stores the scroll position, redraws the scroll thumb and places the lines.
    void SetScrollPosition(int value);
    // The main window's resize handling in the lyric view.
    void LayoutWindow();
    // One text size up (at most 30) or down (at least 11), then RebuildLines.
    void ChangeFontSize(bool larger);

    // Event handlers. KeyDown answers false for the keys it leaves to the main window (which handles them and
    // then advances the scene clock); for its own keys it advances the clock itself. The wheel handlers
    // always advance it and answer true when the window must not process the wheel further.
    bool KeyDown(TDisplayKey key, TShiftState shift);
    bool MouseWheelDown(TShiftState shift);
    bool MouseWheelUp(TShiftState shift);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void DoubleClick();

    // The song position (ms) at which the lyrics next look different by themselves while the song plays,
    // as the last frame found it: the next line becomes current or its next word lights up, the glide reaches the next device pixel,
    // or, without a glide, the fades have moved as far as one device pixel of a glide would take. -1 when
    // nothing moves with the song clock (plain lyrics, or neither fades nor a glide). The main window draws
    // its next frame exactly then instead of polling the scene.
    std::int64_t NextChangePosition() const { return NextChange_; }

    // Line height in pixels for the current text size (1.5 times the size).
    double LineHeight() const;
    // The playback button under an x position of the button row: 0 Prev ... 4 Next, or -1.
    static int ButtonAt(int x);

private:
    bool FadesTimestamped() const;
    int LineCount() const;
    toolkit::TGLHUDText& Line(int index) const;
    bool IsLineObject(const toolkit::TGLBaseSceneObject* object) const;
    void UpdateFade(std::int32_t position);
    // The song clock's position moved by the live offset: the position the lyric times are compared with.
    std::int32_t LyricPosition();
    // The words of the current line sung by the position, in the highlight colour.
    void HighlightWords(std::int32_t position);
    void AutoScrollAt(std::int32_t position);
    void StoreScrollPosition(int value);
    void SetButtonBlue(int index, float blue);
    double PixelRatio() const;
    double SnapToDevicePixel(double value) const;
    void NoteChangeAt(std::int64_t position);

    TMainScene& Scene_;
    toolkit::TGLSceneView& View_;
    lyrics::TTextLyrics& Lyrics_;
    config::TSettings& Settings_;
    player::TPlayerSession& Session_;
    TScrollState& Scroll_;
    IDisplayHost& Host_;
    std::int64_t NextChange_ = -1;
    bool Gliding_ = false;  // the last frame's lines followed a glide
    double FadeLineMs_ = 0; // the last frame's time the fades take to move by one line, 0 if they stand
};

} // namespace display
