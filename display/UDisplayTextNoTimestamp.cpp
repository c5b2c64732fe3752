#include "display/UDisplayTextNoTimestamp.h"

#include "config/USettings.h"
#include "display/MainScene.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/CodePage.h"
#include "toolkit/GLSceneView.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace display {

using toolkit::TGLBaseSceneObject;
using toolkit::TGLHUDText;
using toolkit::TGLObjectKind;

namespace {

constexpr float kLineGrey = 0.75f;
constexpr float kButtonBlue = 0.8f;
constexpr float kButtonHoverBlue = 1.0f;
constexpr int kMinTextSize = 11;
constexpr int kMaxTextSize = 30;
constexpr int kWheelStep = 20;
constexpr int kWheelDownLimit = 78987;
constexpr int kPreferencesAccountPage = 3;

// The nearest integer, halves going to the even neighbour; limited to the int range.
int Rnd(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= double(INT_MAX))
        return INT_MAX;
    if (v <= double(INT_MIN))
        return INT_MIN;
    double r = std::floor(v);
    const double d = v - r;
    if (d > 0.5 || (d == 0.5 && std::fmod(r, 2.0) != 0))
        r += 1;
    return int(r);
}

// Empty after trimming characters of code 32 and below.
bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

void SetBlue(TGLBaseSceneObject& object, float blue) {
    switch (object.Kind()) {
    case TGLObjectKind::Torus:
    case TGLObjectKind::Cube:
    case TGLObjectKind::ArrowLine:
        static_cast<toolkit::TGLSceneObject&>(object).Material.Diffuse.B = blue;
        break;
    default:
        break;
    }
}

} // namespace

TDisplayTextNoTimestamp::TDisplayTextNoTimestamp(TMainScene& scene, toolkit::TGLSceneView& view,
                                                 lyrics::TTextLyrics& lyrics, config::TSettings& settings,
                                                 player::TPlayerSession& session, TScrollState& scroll,
                                                 IDisplayHost& host)
    : Scene_(scene), View_(view), Lyrics_(lyrics), Settings_(settings), Session_(session), Scroll_(scroll),
      Host_(host) {}

double TDisplayTextNoTimestamp::LineHeight() const {
    return 1.5 * Settings_.TextSize();
}

bool TDisplayTextNoTimestamp::FadesTimestamped() const {
    return Settings_.FadeLyrics() && Lyrics_.Timestamped;
}

int TDisplayTextNoTimestamp::LineCount() const {
    return Scene_.GLHUDTextNoTimestampContainer->Count();
}

TGLHUDText& TDisplayTextNoTimestamp::Line(int index) const {
    return static_cast<TGLHUDText&>(Scene_.GLHUDTextNoTimestampContainer->Child(index));
}

bool TDisplayTextNoTimestamp::IsLineObject(const TGLBaseSceneObject* object) const {
    return object && object->Parent() == Scene_.GLHUDTextNoTimestampContainer;
}

int TDisplayTextNoTimestamp::ButtonAt(int x) {
    if (x < 24)
        return 0;
    if (x <= 46)
        return 1;
    if (x <= 69)
        return 2;
    if (x <= 93)
        return 3;
    if (x <= 118)
        return 4;
    return -1;
}

void TDisplayTextNoTimestamp::RebuildLines() {
    HoverObject = nullptr;
    PressedObject = nullptr; // it may be a line object about to go
    SetScrollPosition(0);
    TGLHUDText& container = *Scene_.GLHUDTextNoTimestampContainer;
    container.DeleteChildren();

    auto& lines = Lyrics_.Lines;
    if (Settings_.FadeLyrics() && Lyrics_.Timestamped && lines.size() > 1) {
        // A blank line at time 0 on top is the current line until the first sung line.
        if (!lines.front().Text.empty())
            lines.insert(lines.begin(), lyrics::TLyricTextLine{"", 0});
        else
            lines.front().Time = 0;
    }
    if (!Lyrics_.Timestamped && lines.size() > 1 && !lines.front().Text.empty())
        lines.insert(lines.begin(), lyrics::TLyricTextLine{"", 0});

    // The font file of the size class; a file that does not load leaves the glyphs as they were. UTF-8 text
    // has no font file: it is drawn from the system's fonts at the size class times the scale, which is the
    // text size exactly.
    const int size = Settings_.TextSize();
    const bool small = size < 16;
    TGLStoredBitmapFont& font = Scene_.GLWindowsBitmapFontTextNoTimestamp;
    if (toolkit::IsUtf8CodePage(config::CodePageOfCharset(Settings_.Charset()))) {
        font.UseSystemFont(small ? 14 : 22);
    } else {
        font.SetFontSize(small ? 14 : 22);
        font.LoadFromFile(Settings_.ShippedFile(Settings_.Charset() + (small ? "14.gsf" : "22.gsf")));
    }

    const float scale = float(size) / (small ? 14.0f : 22.0f);
    const float x = float(Host_.WindowWidth()) / 2;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto& line = container.AddNewChild<TGLHUDText>();
        line.Text = lines[i].Text;
        line.BitmapFont = &font;
        line.Alignment = toolkit::TAlignment::Center;
        line.ModulateColor = {kLineGrey, kLineGrey, kLineGrey, 1};
        line.Visible = false;
        line.Scale = {scale, scale, 1};
        line.Position = {x, 0, 0};
        line.Tag = int(i);
    }

    const double lineHeight = LineHeight();
    const double n = double(lines.size());
    Scroll_.PageHeight = Rnd(lineHeight * n);
    Scroll_.ContentHeight = std::max(Scroll_.PageHeight, Rnd(lineHeight * (n + 1)));
    if (FadesTimestamped())
        Scroll_.ContentHeight += Rnd(Scene_.GLHUDTextNoTimestampSeperator->Position.Y);
    Scroll_.PageStep = Rnd(3 * lineHeight);
    Scroll_.LineStep = Rnd(lineHeight);

    UpdateFrame(0, Scene_.GLCadencer1.CurrentTime());
}

double TDisplayTextNoTimestamp::PixelRatio() const {
    return View_.PixelRatio > 0 ? View_.PixelRatio : 1;
}

double TDisplayTextNoTimestamp::SnapToDevicePixel(double value) const {
    const double ratio = PixelRatio();
    return std::floor(value * ratio + 0.5) / ratio;
}

void TDisplayTextNoTimestamp::NoteChangeAt(std::int64_t position) {
    // Kept on the song's clock, which the main window schedules by: the live shift moves the lyrics' times.
    const std::int64_t song = std::max<std::int64_t>(0, position - Lyrics_.LiveShift);
    if (NextChange_ < 0 || song < NextChange_)
        NextChange_ = song;
}

void TDisplayTextNoTimestamp::UpdateFrame(double /*deltaTime*/, double /*newTime*/) {
    NextChange_ = -1;
    Gliding_ = false;
    FadeLineMs_ = 0;
    if (Lyrics_.Timestamped) {
        // The clock read may poll a paused player and so run a song change that rebuilds the lines:
        // the line count is taken after it.
        const std::int32_t position = LyricPosition();
        const int n = LineCount();
        CurrentLine = Lyrics_.LineIndexAt(position);
        if (HighlightedLine >= 0 && HighlightedLine < n) {
            Line(HighlightedLine).ModulateColor.B = kLineGrey;
            Line(HighlightedLine).HighlightEnd = 0;
        }
        HighlightedLine = CurrentLine;
        if (Settings_.HighlightLine() && CurrentLine >= 0 && CurrentLine < n)
            HighlightWords(position);
        // The next line becomes current once the position has passed its time.
        const auto& lines = Lyrics_.Lines;
        for (std::size_t i = std::size_t(std::max(CurrentLine + 1, 0)); i < lines.size(); ++i)
            if (lines[i].Time >= position) {
                NoteChangeAt(std::int64_t(lines[i].Time) + 1);
                break;
            }
        if (Settings_.FadeLyrics())
            UpdateFade(position);
        AutoScrollAt(position);
        // Fades without a glide change by themselves: one step for each device pixel a glide would move.
        if (!Gliding_ && FadeLineMs_ > 0)
            NoteChangeAt(position +
                         std::max<std::int64_t>(
                             1, std::int64_t(std::ceil(FadeLineMs_ / (LineHeight() * PixelRatio())))));
    }
    const float bottom = Scene_.GLHUDTextNoTimestampSeperator->Position.Y - 10;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        TGLHUDText& line = Line(i);
        line.Visible = line.Position.Y > 2 && line.Position.Y < bottom;
    }
}

std::int32_t TDisplayTextNoTimestamp::LyricPosition() {
    const std::int64_t position = std::int64_t(Session_.GetSongPosition()) + Lyrics_.LiveShift;
    return std::int32_t(std::clamp<std::int64_t>(position, INT32_MIN, INT32_MAX));
}

void TDisplayTextNoTimestamp::HighlightWords(std::int32_t position) {
    TGLHUDText& line = Line(CurrentLine);
    const auto& lines = Lyrics_.Lines;
    const lyrics::TLyricTextLine* words =
        std::size_t(CurrentLine) < lines.size() ? &lines[std::size_t(CurrentLine)] : nullptr;
    if (!Settings_.HighlightWords() || !words || words->Words.empty() || words->Text != line.Text) {
        line.ModulateColor.B = 0; // the whole line
        line.HighlightEnd = 0;
        return;
    }
    // Sung so far: the text up to the word after the last one whose time has come (before the first word,
    // the text ahead of it); the rest of the line stays grey until its word.
    const int word = lyrics::TTextLyrics::WordIndexAt(*words, position);
    const std::size_t next = std::size_t(word + 1);
    line.HighlightColor = {line.ModulateColor.R, line.ModulateColor.G, 0, 1};
    line.HighlightEnd = next < words->Words.size() ? words->Words[next].Start : words->Text.size();
    // The next word lights up once the position has passed its time.
    if (next < words->Words.size())
        NoteChangeAt(std::int64_t(words->Words[next].Time) + 1);
}

void TDisplayTextNoTimestamp::UpdateFade(std::int32_t position) {
    const int n = LineCount();
    if (Host_.AllowScrollTimerRunning()) {
        // The user reads ahead: faded lines stay at least 60 % opaque.
        for (int p = 0; p < n; ++p) {
            float& alpha = Line(p).ModulateColor.A;
            alpha = std::max(0.6f, alpha);
        }
        return;
    }
    const int h = std::max(CurrentLine, 0);
    CurrentLine = h;
    const auto& lines = Lyrics_.Lines;
    // Line objects are made from the document; should the document have lost lines since, nothing fades.
    if (n == 0 || h >= n || std::size_t(n) > lines.size())
        return;
    auto time = [&](int i) { return double(lines[std::size_t(i)].Time); };
    auto blank = [&](int i) { return IsBlank(Line(i).Text); };

    const double t = position;
    double progress = 0, span = 0, shift = 0;
    bool lastLine = false;
    if (h < n - 3 && blank(h + 1)) {
        // A blank next line is reached halfway to the line after it.
        progress = t - time(h);
        span = (time(h + 2) - time(h)) / 2;
    } else if (1 < h && h < n - 1 && blank(h)) {
        // A blank current line starts halfway between its neighbours.
        progress = t - time(h - 1);
        span = (time(h + 1) - time(h - 1)) / 2;
        shift = -1;
    } else if (h < n - 1) {
        progress = t - time(h);
        span = time(h + 1) - time(h);
    } else {
        progress = t - time(h);
        span = Session_.GetSongLength();
        lastLine = true;
    }
    // A zero span (two equal times, or an unknown song length) keeps every alpha for this frame.
    if (span == 0)
        return;
    double f = progress / span + shift;
    if (lastLine)
        f = std::min(1.0, f);
    const double k = (130 - Settings_.FadeRatio()) / 10.0;
    if (k == 0)
        return;
    if (!(lastLine && f >= 1))
        FadeLineMs_ = std::fabs(span);
    const double virtualLine = h + f - 0.18;
    for (int p = 0; p < n; ++p)
        Line(p).ModulateColor.A = float((k - std::fabs(virtualLine - p)) / k);
}

void TDisplayTextNoTimestamp::AutoScroll() {
    AutoScrollAt(LyricPosition());
}

void TDisplayTextNoTimestamp::AutoScrollAt(std::int32_t position) {
    if (!Settings_.Scroll() || Host_.AllowScrollTimerRunning())
        return;
    const int n = LineCount();
    const double lineHeight = LineHeight();
    const double separatorY = Scene_.GLHUDTextNoTimestampSeperator->Position.Y;
    double target = lineHeight * CurrentLine - separatorY / 2;

    const auto& lines = Lyrics_.Lines;
    if (Settings_.ScrollSmooth() && CurrentLine >= 0 && CurrentLine < n - 1 &&
        std::size_t(n) <= lines.size()) {
        const int h = CurrentLine;
        auto time = [&](int i) { return std::int64_t(lines[std::size_t(i)].Time); };
        std::int64_t next = time(h + 1);
        std::int64_t start = time(h);
        if (h < n - 2 && IsBlank(Line(h + 1).Text))
            next = time(h) + Rnd(double(time(h + 2) - time(h)) / 2);
        else if (h > 0 && IsBlank(Line(h).Text))
            start = Rnd(double(time(h + 1) - time(h - 1)) / 2) + time(h - 1);
        if (start < next) {
            const double base = target;
            auto glideAt = [&](std::int64_t ms) {
                return base + double(ms - start) / double(next - start) * lineHeight;
            };
            target = glideAt(position);
            // The lines stand on whole device pixels: the glide next changes where the target crosses the
            // middle between two of them.
            const double ratio = PixelRatio();
            const double pixel = std::floor(target * ratio + 0.5);
            const double boundary = (pixel + 0.5) / ratio;
            if (boundary < double(Scroll_.ContentHeight) - Scroll_.PageHeight + 1 && lineHeight > 0) {
                Gliding_ = true;
                const double at = double(start) + (boundary - base) / lineHeight * double(next - start);
                std::int64_t when = std::max<std::int64_t>(position + 1, std::int64_t(std::ceil(at)));
                if (std::floor(glideAt(when) * ratio + 0.5) == pixel) // rounding of `at`
                    ++when;
                NoteChangeAt(when);
            }
        }
    }
    target = std::min(target, double(Scroll_.ContentHeight) - Scroll_.PageHeight + 1);
    if (FadesTimestamped())
        StoreScrollPosition(Rnd(target) + Rnd(separatorY / 2));
    else
        StoreScrollPosition(Rnd(target));
    // The lines follow the target on device pixels (finer than the stored position at pixel ratios above
    // 1); placing them for the stored position first would be overwritten here at once.
    PlaceLines(target);
}

void TDisplayTextNoTimestamp::StoreScrollPosition(int value) {
    const int range = Scroll_.ContentHeight - Scroll_.PageHeight;
    if (FadesTimestamped())
        Scroll_.ScrollPosition = std::min(std::max(value, 0), range);
    else
        Scroll_.ScrollPosition = std::max(std::min(value, range + 1), 0);
    if (Host_.FrameHasSkin())
        Host_.PaintScrollThumb();
}

void TDisplayTextNoTimestamp::SetScrollPosition(int value) {
    StoreScrollPosition(value);
    if (Host_.FrameHasSkin())
        ApplyScroll();
}

void TDisplayTextNoTimestamp::ApplyScroll() {
    if (FadesTimestamped())
        PlaceLines(Scroll_.ScrollPosition - double(Scene_.GLHUDTextNoTimestampSeperator->Position.Y) / 2);
    else
        PlaceLines(Scroll_.ScrollPosition);
}

void TDisplayTextNoTimestamp::PlaceLines(double offset) {
    if (!FadesTimestamped())
        offset = std::min(std::max(offset, 0.0), double(Scroll_.ContentHeight) - Scroll_.PageHeight + 1);
    const int n = LineCount();
    if (Settings_.DisplayMode() == 1 && !Lyrics_.Found) {
        // The placeholder document of the Minimal mode stands at the vertical middle of the view.
        const float middle = float(View_.Height) / 2;
        for (int i = 0; i < n; ++i)
            Line(i).Position.Y = middle;
        return;
    }
    // One scroll value on whole device pixels moves every line at once, each line on whole device pixels.
    const double lineHeight = LineHeight();
    const double top = 5 - SnapToDevicePixel(offset);
    for (int i = 0; i < n; ++i)
        Line(i).Position.Y = float(top + SnapToDevicePixel(i * lineHeight));
}

void TDisplayTextNoTimestamp::LayoutWindow() {
    TGLHUDText& separator = *Scene_.GLHUDTextNoTimestampSeperator;
    const int viewWidth = View_.Width;
    const int viewHeight = View_.Height;

    auto& visualization = *Scene_.GLDummyCubeVisualization;
    visualization.SetAbsolutePosition(
        View_.ScreenToWorld(float(viewWidth) / 2, float(viewHeight - Rnd(visualization.TagFloat)), 0));
    Scene_.GLDummyCubeButtons->SetAbsolutePosition(View_.ScreenToWorld(12, float(viewHeight - 12), 10));

    const float middle = float(Host_.WindowWidth()) / 2;
    for (int i = 0; i < LineCount(); ++i)
        Line(i).Position.X = middle;
    separator.Position.X = middle;
    separator.Position.Y = float(Host_.WindowHeight()) - separator.TagFloat;
    Scene_.GLHUDTextNoTimestampExit->Position.X = float(viewWidth - 8);
    Scene_.GLHUDTextNoTimestampMinimize->Position.X = float(viewWidth - 18);

    Host_.AdvanceSceneClock();

    // The scroll bar changes only when needed: each change restarts the resize timer, whose expiry runs
    // this layout again.
    auto showScrollBar = [&](bool shown) {
        if (Scroll_.ScrollBarShown == shown)
            return;
        Scroll_.ScrollBarShown = shown;
        Host_.ShowScrollBar(shown);
        Host_.StartResizeTimer();
    };
    const bool minimal = Settings_.DisplayMode() == 1;
    if (!minimal) {
        if (Scroll_.ContentHeight >= separator.Position.Y) {
            showScrollBar(true);
            Scroll_.PageHeight = Rnd(separator.Position.Y);
        } else {
            showScrollBar(false);
        }
    } else {
        showScrollBar(false);
        Scroll_.PageHeight = Rnd(separator.Position.Y);
    }

    const int windowHeight = Host_.WindowHeight();
    Scene_.GLHUDTextNoTimestampDownloading->Position.Y = float(minimal                   ? windowHeight - 34
                                                               : Settings_.ShowButtons() ? windowHeight - 56
                                                                                         : windowHeight - 37);

    SetScrollPosition(Scroll_.ScrollPosition);
    Host_.MainResize();
}

void TDisplayTextNoTimestamp::ChangeFontSize(bool larger) {
    const int size = Settings_.TextSize();
    const int changed = larger ? std::min(size + 1, kMaxTextSize) : std::max(size - 1, kMinTextSize);
    Settings_.SelectTextSize(changed - kMinTextSize);
    RebuildLines();
    Host_.StartResizeTimer();
}

bool TDisplayTextNoTimestamp::KeyDown(TDisplayKey key, TShiftState shift) {
    switch (key) {
    case TDisplayKey::F: {
        const bool running = !Host_.FpsTimerRunning();
        Host_.SetFpsTimerRunning(running);
        Scene_.GLHUDTextNoTimestampFPS->Visible = running;
        break;
    }
    case TDisplayKey::J:
        Session_.PlayerJumpToFile();
        break;
    case TDisplayKey::K:
        Host_.MultiplyVisualizationGain(0.9f);
        break;
    case TDisplayKey::L:
        Host_.MultiplyVisualizationGain(1.1f);
        break;
    case TDisplayKey::NumPlus:
        if (shift.Shift)
            Settings_.SetScale(Settings_.Scale() * 1.02f);
        else
            ChangeFontSize(true);
        break;
    case TDisplayKey::NumMinus:
        if (shift.Shift)
            Settings_.SetScale(Settings_.Scale() * 0.98f);
        else
            ChangeFontSize(false);
        break;
    case TDisplayKey::Other:
        return false;
    }
    Host_.AdvanceSceneClock();
    return true;
}

bool TDisplayTextNoTimestamp::MouseWheelDown(TShiftState shift) {
    bool handled = false;
    if (shift.Right) {
        Session_.PlayerVolumeDown();
        Host_.MarkContextMenuNoPopup();
        handled = true;
    } else if (shift.Ctrl) {
        if (shift.Shift)
            Settings_.SetScale(Settings_.Scale() * 0.98f);
        else
            ChangeFontSize(false);
        handled = true;
    } else if (shift.Shift) {
        Session_.PlayerVolumeDown();
    } else if (Lyrics_.Found) {
        Host_.RestartAllowScrollTimer();
        SetScrollPosition(std::min(Scroll_.ScrollPosition + kWheelStep, kWheelDownLimit));
    }
    Host_.AdvanceSceneClock();
    return handled;
}

bool TDisplayTextNoTimestamp::MouseWheelUp(TShiftState shift) {
    bool handled = false;
    if (shift.Right) {
        Session_.PlayerVolumeUp();
        Host_.MarkContextMenuNoPopup();
        handled = true;
    } else if (shift.Ctrl) {
        if (shift.Shift)
            Settings_.SetScale(Settings_.Scale() * 1.02f);
        else
            ChangeFontSize(true);
        handled = true;
    } else if (shift.Shift) {
        Session_.PlayerVolumeUp();
    } else if (Lyrics_.Found) {
        Host_.RestartAllowScrollTimer();
        SetScrollPosition(Scroll_.ScrollPosition - kWheelStep);
    }
    Host_.AdvanceSceneClock();
    return handled;
}

void TDisplayTextNoTimestamp::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (y > Host_.WindowHeight() - 40 && Settings_.ShowButtons() && !Host_.ResizeTimerRunning()) {
        switch (ButtonAt(x)) {
        case 0:
            Session_.PlayerPrev();
            break;
        case 1:
            Session_.PlayerPlay();
            break;
        case 2:
            Session_.PlayerPause();
            break;
        case 3:
            Session_.PlayerStop();
            break;
        case 4:
            Session_.PlayerNext();
            break;
        default:
            break;
        }
    }
    MouseX = x;
    MouseY = y;
    PressedObject = View_.PickObject(float(x), float(y));
    if (PressedObject == Scene_.GLHUDTextReminder && Scene_.GLHUDTextReminder->Tag == 0)
        Host_.OpenPreferencesPage(kPreferencesAccountPage);
    Host_.MainMouseDown(button, shift, x, y);
}

void TDisplayTextNoTimestamp::SetButtonBlue(int index, float blue) {
    toolkit::TGLTorus& ring = *Scene_.Buttons()[std::size_t(index)];
    SetBlue(ring, blue);
    for (int i = 0; i < ring.Count(); ++i)
        SetBlue(ring.Child(i), blue);
}

void TDisplayTextNoTimestamp::MouseMove(TShiftState shift, int x, int y) {
    const int previousX = MouseX;
    const int previousY = MouseY;
    MouseX = x;
    MouseY = y;

    if (shift.Shift && shift.Left) {
        Scene_.GLCameraTextNoTimestamp->RotateObject(*Scene_.GLDummyCubeVisualization, float(previousY - y),
                                                     float(previousX - x));
        return;
    }

    const auto buttons = Scene_.Buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->Material.Diffuse.B != kButtonBlue)
            SetButtonBlue(int(i), kButtonBlue);
    if (y > Host_.WindowHeight() - 40) {
        const int hovered = ButtonAt(x);
        if (hovered >= 0) {
            buttons[std::size_t(hovered)]->Tag = 1;
            SetButtonBlue(hovered, kButtonHoverBlue);
        }
    }

    const int viewWidth = View_.Width;
    const bool nearClose = x > viewWidth - 15 && y < 15;
    Scene_.GLHUDTextNoTimestampExit->Visible = nearClose;
    Scene_.GLHUDTextEditExit->Visible = nearClose;
    Scene_.GLHUDTextNoTimestampMinimize->Visible = x > viewWidth - 25 && x < viewWidth - 15 && y < 15;

    Host_.MainMouseMove(shift, x, y);

    if (IsLineObject(HoverObject))
        static_cast<TGLHUDText*>(HoverObject)->ModulateColor.B = kLineGrey;
    HoverObject = View_.PickObject(float(x), float(y));
    if (HoverObject == Scene_.GLHUDTextNoTimestampSeperator)
        Host_.SetCursor(TCursorKind::VSplit);
    else if (HoverObject == Scene_.GLHUDTextReminder && Scene_.GLHUDTextReminder->Tag == 0)
        Host_.SetCursor(TCursorKind::HandPoint);
    else
        Host_.SetCursor(TCursorKind::Default);
    if (IsLineObject(HoverObject))
        static_cast<TGLHUDText*>(HoverObject)->ModulateColor.B = 0;
}

void TDisplayTextNoTimestamp::DoubleClick() {
    if (Settings_.ShowButtons() && MouseY > Host_.WindowHeight() - 40 && MouseX <= 125)
        return; // double clicks on the playback buttons
    TGLBaseSceneObject* object = View_.PickObject(float(MouseX), float(MouseY));
    if (object && object->Kind() == TGLObjectKind::HUDText) {
        if (Lyrics_.Timestamped && IsLineObject(object) && object->Tag >= 0 &&
            std::size_t(object->Tag) < Lyrics_.Lines.size())
            Session_.PlayerSeek(std::int32_t(std::clamp<std::int64_t>(
                std::int64_t(Lyrics_.Lines[std::size_t(object->Tag)].Time) - Lyrics_.LiveShift, 0,
                INT32_MAX)));
        return;
    }
    Host_.MainDoubleClick();
    if (Lyrics_.Timestamped)
        RebuildLines();
}

} // namespace display
