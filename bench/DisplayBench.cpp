// Cost of the lyric display for documents of 50 and 500 timestamped lines, of a CJK page of 500 lines in
// the UTF-8 character set, and of enhanced LRC pages (Words: every line with word times, the current line
// highlighted word by word, in the UTF-8 character set), with the heap allocations each step makes
// (allocs/frame, expected 0):
//   BM_UpdateFrame  the engine's frame (current line, highlight, fade, scroll, visibility);
//   BM_DrawFrame    the engine's frame and the renderer drawing it with OpenGL (needs a display: run under
//                   xvfb-run; skipped without one); glyph renders and text shapings during the frames are
//                   counted too (expected 0: every line was drawn once before);
//   BM_ShapePage    a song change's first drawing of a page: all lines shaped and their glyphs rendered
//                   into a fresh glyph cache.
#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/scene/GLSceneViewer.h"
#include "display/scene/GlyphCache.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/CodePage.h"
#include "toolkit/GLSceneView.h"

#include "platform/Platform.h"
#include "platform/fake/FakeWinamp.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {
std::atomic<long long> gAllocations{0};
}

// Every allocation of the program is counted.
void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

enum TPage { Latin, Cjk, Words };

// A line of the song: Latin words, or twelve CJK ideographs drawn from a thousand.
std::string LineText(TPage page, int i) {
    if (page != Cjk)
        return i % 7 == 6 ? "" : "A line of the song, number " + std::to_string(i);
    if (i % 7 == 6)
        return "";
    std::u16string text;
    for (int k = 0; k < 12; ++k)
        text += char16_t(0x4E00 + (i * 12 + k) * 389 % 1000 * 7);
    return toolkit::Utf16ToUtf8(text);
}

// One QApplication for the whole run, on the display when there is one.
bool HaveDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_display";
    static char* argv[] = {name, nullptr};
    if (!HaveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct TRig {
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    platform::TFakeWinamp Amp{Windows, "12. Artist - Song - Winamp"};
    display::TMainScene Scene{Clock};
    toolkit::TGLSceneView View;
    std::unique_ptr<display::TGLSceneViewer> Viewer; // when the frames are drawn
    lyrics::TTextLyrics Lyrics;
    config::TNullSettingsView SettingsView;
    config::TSongList CancelList, UploadList;
    config::TSettings Settings{SettingsView, CancelList, UploadList, "", "", '/'};
    display::TScrollState Scroll;
    display::TNullDisplayHost Host;
    std::unique_ptr<display::TDisplayTextNoTimestamp> Engine;
    std::uint32_t SongStart = 0;
    std::int32_t SongLength = 0;
    double SceneTime = 0;

    TRig(int lines, TPage page, bool draw) {
        Clock.Now = 1000000;
        Amp.LengthSeconds = 2 * lines + 10;
        Session.PollPlayer();
        Session.PollPlayer();
        SongStart = Clock.Now;
        Settings.SetCharset(page == Latin ? "charset_english" : "charset_unicode");
        Settings.SelectTextSize(15 - 11);
        Settings.SetFadeLyrics(true);
        Settings.SetFadeRatio(100);
        Settings.SetHighlightLine(true);
        Settings.SetScroll(true);
        Settings.SetScrollSmooth(true);
        toolkit::TGLSceneView* view = &View;
        if (draw) {
            App();
            Viewer = std::make_unique<display::TGLSceneViewer>(Clock);
            Viewer->SetScene(&Scene.GLSceneTextNoTimestamp);
            Viewer->SetCamera(Scene.GLCameraTextNoTimestamp);
            Viewer->resize(810, 306);
            Scene.SetTextMeasure(&Viewer->GlyphCache());
            view = &Viewer->View();
        }
        view->Scene = &Scene.GLSceneTextNoTimestamp;
        view->Camera = Scene.GLCameraTextNoTimestamp;
        view->Width = 810;
        view->Height = 306;
        Engine = std::make_unique<display::TDisplayTextNoTimestamp>(Scene, *view, Lyrics, Settings, Session,
                                                                    Scroll, Host);
        std::string text;
        for (int i = 0; i < lines; ++i) {
            const int ms = 1000 + 2000 * i;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
            std::string line = LineText(page, i);
            if (page == Words) { // a stamp before every word, 300 ms apart
                std::string stamped;
                int word = 0;
                for (std::size_t at = 0, end; at < line.size(); at = end + 1) {
                    end = std::min(line.find(' ', at), line.size());
                    const int w = ms + 300 * word++;
                    std::snprintf(stamp, sizeof stamp, "<%02d:%02d.%02d>", w / 60000, w / 1000 % 60,
                                  w / 10 % 100);
                    stamped += stamp + line.substr(at, end - at) + " ";
                }
                line = stamped;
                std::snprintf(stamp, sizeof stamp, "[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60,
                              ms / 10 % 100);
            }
            text += stamp + line + "\r\n";
        }
        Lyrics.ParseText(text);
        Lyrics.Found = true;
        SongLength = 2000 * lines + 1000;
        if (page == Latin) // the stored font the build made, beside this program's sibling
            Scene.GLWindowsBitmapFontTextNoTimestamp.LoadFromFile(platform::ProgramFolder() +
                                                                  "../app/Cantrel/charset_english14.gsf");
        Engine->RebuildLines();
        Engine->LayoutWindow();
        if (Viewer) {
            Viewer->show();
            QApplication::processEvents();
            Viewer->makeCurrent();
        }
    }
    ~TRig() { toolkit::SetActiveCodePage(1252); }

    // One frame every 12 ms of song time, round and round the song.
    void NextFrame() {
        Clock.Now += 12;
        if (std::int32_t(Clock.Now - SongStart) > SongLength)
            Clock.Now = SongStart;
        SceneTime += 0.012;
        Engine->UpdateFrame(0.012, SceneTime);
    }
};

void BM_UpdateFrame(benchmark::State& state) {
    TRig rig(int(state.range(0)), TPage(state.range(1)), false);
    const long long before = gAllocations.load();
    for (auto _ : state)
        rig.NextFrame();
    state.counters["allocs/frame"] =
        benchmark::Counter(double(gAllocations.load() - before) / double(state.iterations()));
}
BENCHMARK(BM_UpdateFrame)->Args({50, Latin})->Args({500, Latin})->Args({500, Cjk})->Args({500, Words});

void BM_DrawFrame(benchmark::State& state) {
    if (!HaveDisplay()) {
        state.SkipWithError("needs a display: run under xvfb-run");
        return;
    }
    TRig rig(int(state.range(0)), TPage(state.range(1)), true);
    display::TGlyphCache& cache = rig.Viewer->GlyphCache();
    // Every line drawn once before, as the song has been played through once.
    auto& font = rig.Scene.GLWindowsBitmapFontTextNoTimestamp;
    for (const auto& line : rig.Lyrics.Lines) {
        if (!font.DrawsSystemFont())
            continue;
        const int size = font.SystemPixelSize(float(rig.Settings.TextSize()) / 14);
        cache.MeasureText(font.FontName(), size, line.Text);
        for (const auto& word : line.Words) // the sung heads of the highlighted line
            cache.MeasureText(font.FontName(), size, line.Text.substr(0, word.Start));
    }
    rig.NextFrame();
    rig.Viewer->RenderFrame(true);

    const std::size_t glyphs = cache.GlyphsRendered(), texts = cache.TextsShaped();
    const long long before = gAllocations.load();
    for (auto _ : state) {
        rig.NextFrame();
        rig.Viewer->RenderFrame(true);
    }
    const double frames = double(state.iterations());
    state.counters["allocs/frame"] = benchmark::Counter(double(gAllocations.load() - before) / frames);
    state.counters["glyph renders"] = benchmark::Counter(double(cache.GlyphsRendered() - glyphs));
    state.counters["text shapings"] = benchmark::Counter(double(cache.TextsShaped() - texts));
    state.counters["glyphs held"] = benchmark::Counter(double(cache.GlyphCount()));
    state.counters["atlas pages"] = benchmark::Counter(double(cache.PageCount()));
    state.counters["stored font"] = benchmark::Counter(rig.Scene.GLWindowsBitmapFontTextNoTimestamp.Loaded());
    rig.Viewer->doneCurrent();
}
BENCHMARK(BM_DrawFrame)
    ->Args({50, Latin})
    ->Args({500, Latin})
    ->Args({500, Cjk})
    ->Args({500, Words})
    ->Unit(benchmark::kMicrosecond);

void BM_ShapePage(benchmark::State& state) {
    App();
    const TPage page = TPage(state.range(1));
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    std::vector<std::string> lines;
    for (int i = 0; i < state.range(0); ++i)
        lines.push_back(LineText(page, i));
    std::size_t glyphs = 0;
    for (auto _ : state) {
        display::TGlyphCache cache;
        for (const std::string& line : lines)
            cache.MeasureText("Lucida Console", 15, line);
        glyphs = cache.GlyphsRendered();
    }
    state.counters["glyph renders/page"] = benchmark::Counter(double(glyphs));
    toolkit::SetActiveCodePage(1252);
}
BENCHMARK(BM_ShapePage)->Args({500, Latin})->Args({500, Cjk})->Unit(benchmark::kMillisecond);

} // namespace
