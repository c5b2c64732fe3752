// Cost of the song clock read (every frame) and of one poll against a fake Winamp.
#include "player/EasyAmp.h"

#include "platform/fake/FakeWinamp.h"

#include <benchmark/benchmark.h>

namespace {

struct TRig {
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    platform::TFakeWinamp Amp{Windows, "12. Artist - Song - Winamp"};
    TRig() {
        Amp.LengthSeconds = 200;
        Session.PollPlayer();
        Session.PollPlayer();
    }
};

void BM_GetSongPosition(benchmark::State& state) {
    TRig rig;
    for (auto _ : state) {
        rig.Clock.Now += 12;
        benchmark::DoNotOptimize(rig.Session.GetSongPosition());
    }
}
BENCHMARK(BM_GetSongPosition);

void BM_PollPlayer(benchmark::State& state) {
    TRig rig;
    for (auto _ : state) {
        rig.Clock.Now += 100;
        rig.Amp.PositionMs += 100;
        rig.Session.PollPlayer();
        rig.Windows.Messages.clear();
    }
}
BENCHMARK(BM_PollPlayer);

} // namespace
