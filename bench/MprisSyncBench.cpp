// How closely the song clock follows a real player: mpv plays a 30 s song on a private session bus while,
// every 12 ms (one display frame), the program's GetSongPosition is compared with mpv's own playback
// position read over its JSON IPC socket in the same instant (the clock is read on both sides of the
// question and the middle taken). The session is polled as the main window polls it: the render tick every
// 100 ms and the status strip every 150 ms. Prints the mean, 99th percentile and maximum absolute difference
// for 20 s of steady play, then across a seek made in the player and across a pause and resume made in it,
// with the time from the phase's start until the last sample that was more than 100 ms off ("settled").
//
// With null audio output mpv's own position moves in steps of its audio blocks, so a few tens of ms of the
// first figures are the reference's steps, not the clock's error. Each phase is therefore also measured
// against a line fitted through mpv's positions over each stretch of it (steady play; after the seek; the
// pause; after the resume), samples more than 60 ms off the first fit left out of the second: the
// clock's error against the player's real motion.
#include "player/EasyAmp.h"

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/e2e/MpvRig.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct TPoint {
    double T, Clock, Mpv; // ms since the stretch began; both positions in ms
};

struct TLine {
    double A = 0, B = 0;
    double At(double t) const { return A + B * t; }
};

// Least squares through mpv's positions; a second fit leaves out samples more than 60 ms off the first
// (mpv's answers from before a seek or a pause took effect).
TLine FitMpvLine(const std::vector<TPoint>& points) {
    auto fit = [&](const TLine* first) {
        double n = 0, st = 0, sm = 0, stt = 0, stm = 0;
        for (const TPoint& p : points) {
            if (first && std::fabs(p.Mpv - first->At(p.T)) > 60)
                continue;
            n += 1;
            st += p.T;
            sm += p.Mpv;
            stt += p.T * p.T;
            stm += p.T * p.Mpv;
        }
        TLine line;
        const double d = n * stt - st * st;
        if (n < 2 || d == 0) {
            line.A = n > 0 ? sm / n : 0;
            return line;
        }
        line.B = (n * stm - st * sm) / d;
        line.A = (sm - line.B * st) / n;
        return line;
    };
    const TLine first = fit(nullptr);
    return fit(&first);
}

class TSampler {
public:
    TSampler(player::TPlayerSession& session, platform::TMpvRig& rig) : Session_(session), Rig_(rig) {}

    // Samples every 12 ms for the given time, polling like the main window; adds |clock - mpv| to diffs
    // and |clock - the line fitted through mpv's positions of this stretch| to lineDiffs.
    void Sample(int ms, std::vector<double>& diffs, std::vector<double>& lineDiffs) {
        std::vector<TPoint> points;
        const auto start = Clock::now();
        const auto end = start + milliseconds(ms);
        auto nextFrame = start;
        while (nextFrame < end) {
            std::this_thread::sleep_until(nextFrame);
            const auto now = Clock::now();
            if (now - LastTick_ >= milliseconds(100)) {
                Session_.PollPlayer();
                LastTick_ = now;
            }
            if (now - LastStrip_ >= milliseconds(150)) {
                Session_.PollPlayer();
                LastStrip_ = now;
            }
            const double before = Session_.GetSongPosition();
            const double mpv = Rig_.MpvPositionMs();
            const double after = Session_.GetSongPosition();
            if (mpv >= 0) {
                diffs.push_back(std::fabs((before + after) / 2 - mpv));
                points.push_back(
                    {double(std::chrono::duration_cast<std::chrono::microseconds>(now - start).count()) /
                         1000,
                     (before + after) / 2, mpv});
            }
            nextFrame += milliseconds(12);
        }
        const TLine line = FitMpvLine(points);
        for (const TPoint& p : points)
            lineDiffs.push_back(std::fabs(p.Clock - line.At(p.T)));
    }

private:
    player::TPlayerSession& Session_;
    platform::TMpvRig& Rig_;
    Clock::time_point LastTick_{}, LastStrip_{};
};

// The time from the start of a phase until its last sample more than 100 ms off, in ms.
double SettledAfter(const std::vector<double>& diffs) {
    for (std::size_t i = diffs.size(); i > 0; --i) {
        if (diffs[i - 1] > 100)
            return double(i) * 12;
    }
    return 0;
}

void Report(const char* phase, std::vector<double> diffs) {
    const double settled = SettledAfter(diffs);
    if (diffs.empty()) {
        std::printf("%-24s no samples\n", phase);
        return;
    }
    std::sort(diffs.begin(), diffs.end());
    double sum = 0;
    for (double d : diffs)
        sum += d;
    const std::size_t p99 = std::min(diffs.size() - 1, std::size_t(std::ceil(diffs.size() * 0.99)) - 1);
    std::printf("%-24s %8zu %9.1f %8.1f %8.1f %8.0f\n", phase, diffs.size(), sum / double(diffs.size()),
                diffs[p99], diffs.back(), settled);
}

} // namespace

int main() {
    const std::string missing = platform::TMpvRig::Missing();
    if (!missing.empty()) {
        std::fprintf(stderr, "This machine lacks %s.\n", missing.c_str());
        return 2;
    }
    platform::TMpvRig rig;
    if (!rig.StartBus()) {
        std::fprintf(stderr, "The private session bus did not start.\n");
        return 1;
    }
    const std::string song = rig.MakeSong("sync.ogg", 30, "Cantrel Bench", "Sync Song");
    if (song.empty() || !rig.StartMpv({song})) {
        std::fprintf(stderr, "mpv did not start (see its log in %s).\n", rig.Folder().c_str());
        return 1;
    }
    const auto media = platform::CreateMediaSession(rig.BusAddress());
    player::TPlayerSession session(platform::SystemWindows(), platform::SystemClock(), media.get());
    for (int i = 0; i < 50 && session.GetSongTitle() != "Cantrel Bench - Sync Song"; ++i) {
        session.PollPlayer();
        std::this_thread::sleep_for(milliseconds(100));
    }
    if (session.AmpKind() != player::akMpris) {
        std::fprintf(stderr, "The session did not find mpv.\n");
        return 1;
    }

    TSampler sampler(session, rig);
    std::vector<double> steady, steadyLine;
    sampler.Sample(20000, steady, steadyLine);

    // The user seeks back 15 s in the player.
    std::vector<double> seek, seekLine;
    rig.MpvCommand("[\"seek\",\"-15\",\"relative\"]");
    sampler.Sample(4000, seek, seekLine);

    // The user pauses for 1.5 s in the player, then resumes.
    std::vector<double> pause, pauseLine;
    rig.MpvCommand("[\"set_property\",\"pause\",true]");
    sampler.Sample(1500, pause, pauseLine);
    rig.MpvCommand("[\"set_property\",\"pause\",false]");
    sampler.Sample(2500, pause, pauseLine);

    std::printf("|song clock - mpv position| in ms, sampled every 12 ms\n");
    std::printf("%-24s %8s %9s %8s %8s %8s\n", "phase", "samples", "mean", "p99", "max", "settled");
    Report("steady play, 20 s", steady);
    Report("across a seek, 4 s", seek);
    Report("across pause/resume, 4 s", pause);
    std::printf("\n|song clock - line through mpv's positions| in ms\n");
    std::printf("%-24s %8s %9s %8s %8s %8s\n", "phase", "samples", "mean", "p99", "max", "settled");
    Report("steady play, 20 s", steadyLine);
    Report("across a seek, 4 s", seekLine);
    Report("across pause/resume, 4 s", pauseLine);
    return 0;
}
