// Cost of one display frame (UpdateFrame: current line, highlight, fade, scroll, visibility) for documents of
// 50 and 500 timestamped lines, and the heap allocations a frame makes (allocs/frame, expected 0).
#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/GLSceneView.h"

#include "platform/fake/FakeWinamp.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct TRig {
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    platform::TFakeWinamp Amp{Windows, "12. Artist - Song - Winamp"};
    display::TMainScene Scene{Clock};
    toolkit::TGLSceneView View;
    lyrics::TTextLyrics Lyrics;
    config::TNullSettingsView SettingsView;
    config::TSongList CancelList, UploadList;
    config::TSettings Settings{SettingsView, CancelList, UploadList, "", "", '/'};
    display::TScrollState Scroll;
    display::TNullDisplayHost Host;
    display::TDisplayTextNoTimestamp Engine{Scene, View, Lyrics, Settings, Session, Scroll, Host};
    std::uint32_t SongStart = 0;
    std::int32_t SongLength = 0;

    explicit TRig(int lines) {
        Clock.Now = 1000000;
        Amp.LengthSeconds = 2 * lines + 10;
        Session.PollPlayer();
        Session.PollPlayer();
        SongStart = Clock.Now;
        View.Scene = &Scene.GLSceneTextNoTimestamp;
        View.Camera = Scene.GLCameraTextNoTimestamp;
        View.Width = 810;
        View.Height = 306;
        Settings.SelectTextSize(15 - 11);
        Settings.SetFadeLyrics(true);
        Settings.SetFadeRatio(100);
        Settings.SetHighlightLine(true);
        Settings.SetScroll(true);
        Settings.SetScrollSmooth(true);
        std::string text;
        for (int i = 0; i < lines; ++i) {
            const int ms = 1000 + 2000 * i;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
            text += stamp + std::string(i % 7 == 6 ? "" : "A line of the song, number ") +
                    (i % 7 == 6 ? "" : std::to_string(i)) + "\r\n";
        }
        Lyrics.ParseText(text);
        Lyrics.Found = true;
        SongLength = 2000 * lines + 1000;
        Engine.RebuildLines();
        Engine.LayoutWindow();
    }
};

void BM_UpdateFrame(benchmark::State& state) {
    TRig rig(int(state.range(0)));
    double sceneTime = 0;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        // One frame every 12 ms of song time, round and round the song.
        rig.Clock.Now += 12;
        if (std::int32_t(rig.Clock.Now - rig.SongStart) > rig.SongLength)
            rig.Clock.Now = rig.SongStart;
        sceneTime += 0.012;
        rig.Engine.UpdateFrame(0.012, sceneTime);
    }
    state.counters["allocs/frame"] =
        benchmark::Counter(double(gAllocations.load() - before) / double(state.iterations()));
}
BENCHMARK(BM_UpdateFrame)->Arg(50)->Arg(500);

} // namespace
