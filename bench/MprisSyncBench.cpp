// How closely the song clock follows a real player: mpv plays a 40 s song on a private session bus while,
// every 12 ms (one display frame), the program's GetSongPosition is compared with mpv's own playback
// position read over its JSON IPC socket in the same instant (the clock is read on both sides of the
// question and the middle taken). The session is the program's (the bus read on a worker thread) and is
// polled as the main window polls it: the render tick every 100 ms and the status strip every 150 ms.
// Prints the mean, 99th percentile and maximum absolute difference for 20 s of steady play, then across
// five seeks made in the player, across a pause and resume made in it, and over 10 s at 1.25 times the
// speed; with the time from the phase's start until the last sample that was more than 100 ms off
// ("settled"), and for the seeks and the resumption the time from the player's D-Bus signal (Seeked,
// PropertiesChanged) until the clock had settled ("after signal"; one frame is 12 ms). For the fast phase it
// prints how far the clock drifted: the mean signed difference over its last second less that over its first.
//
// With null audio output mpv's own position moves in steps of its audio blocks, so a few tens of ms of the
// figures are the reference's steps, not the clock's error. Each phase is therefore also measured against a
// line fitted through mpv's positions over each stretch of steady motion: the clock's error against the
// player's real motion.
#include "player/EasyAmp.h"

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/e2e/BusSignalRecorder.h"
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

struct TSample {
    Clock::time_point at;
    double diff;    // |clock - mpv| in ms
    double signed_; // clock - mpv in ms
    double clock = 0, mpv = 0;
};

// The samples of one stretch of steady motion measured against a line fitted through mpv's positions in it
// (least squares; a second fit leaves out samples more than 60 ms off the first: mpv's answers from before a
// seek or a pause took effect). With null audio output mpv's position moves in steps of its audio blocks; the
// line is its real motion.
std::vector<TSample> AgainstFittedLine(const std::vector<TSample>& stretch) {
    if (stretch.empty())
        return {};
    const Clock::time_point t0 = stretch.front().at;
    auto t = [&](const TSample& s) { return std::chrono::duration<double, std::milli>(s.at - t0).count(); };
    double a = 0, b = 0;
    auto fit = [&](bool dropOutliers) {
        double n = 0, st = 0, sm = 0, stt = 0, stm = 0;
        for (const TSample& s : stretch) {
            if (dropOutliers && std::fabs(s.mpv - (a + b * t(s))) > 60)
                continue;
            n += 1;
            st += t(s);
            sm += s.mpv;
            stt += t(s) * t(s);
            stm += t(s) * s.mpv;
        }
        const double d = n * stt - st * st;
        if (n < 2 || d == 0) {
            a = n > 0 ? sm / n : a;
            b = 0;
            return;
        }
        b = (n * stm - st * sm) / d;
        a = (sm - b * st) / n;
    };
    fit(false);
    fit(true);
    std::vector<TSample> out;
    for (const TSample& s : stretch) {
        const double error = s.clock - (a + b * t(s));
        out.push_back({s.at, std::fabs(error), error, s.clock, s.mpv});
    }
    return out;
}

void Append(std::vector<TSample>& to, const std::vector<TSample>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

class TSampler {
public:
    TSampler(player::TPlayerSession& session, platform::TMpvRig& rig) : Session_(session), Rig_(rig) {}

    // Samples every 12 ms for the given time, polling like the main window; adds |clock - mpv| to samples.
    void Sample(int ms, std::vector<TSample>& samples) {
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
            if (mpv >= 0)
                samples.push_back({Clock::now(), std::fabs((before + after) / 2 - mpv),
                                   (before + after) / 2 - mpv, (before + after) / 2, mpv});
            nextFrame += milliseconds(12);
        }
    }

private:
    player::TPlayerSession& Session_;
    platform::TMpvRig& Rig_;
    Clock::time_point LastTick_{}, LastStrip_{};
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The first sample after the last one more than 100 ms off: when the clock had settled. The phase's start
// when no sample was off.
Clock::time_point SettledAt(const std::vector<TSample>& samples, Clock::time_point start) {
    for (std::size_t i = samples.size(); i > 0; --i) {
        if (samples[i - 1].diff > 100)
            return i < samples.size() ? samples[i].at : samples[i - 1].at;
    }
    return start;
}

// The figures of a phase; start null for a phase made of several parts (their settling is told apart).
void Report(const char* phase, const std::vector<TSample>& samples, const Clock::time_point* start,
            const Clock::time_point* signal = nullptr) {
    if (samples.empty()) {
        std::printf("%-26s no samples\n", phase);
        return;
    }
    std::vector<double> diffs;
    for (const auto& s : samples)
        diffs.push_back(s.diff);
    std::sort(diffs.begin(), diffs.end());
    double sum = 0;
    for (double d : diffs)
        sum += d;
    const std::size_t p99 = std::min(diffs.size() - 1, std::size_t(std::ceil(diffs.size() * 0.99)) - 1);
    char settledText[32] = "-", afterSignal[32] = "-";
    if (start) {
        const Clock::time_point settled = SettledAt(samples, *start);
        std::snprintf(settledText, sizeof settledText, "%.0f", Ms(settled - *start));
        if (signal)
            std::snprintf(afterSignal, sizeof afterSignal, "%.0f", std::max(0.0, Ms(settled - *signal)));
    }
    std::printf("%-26s %8zu %9.1f %8.1f %8.1f %8s %12s\n", phase, diffs.size(), sum / double(diffs.size()),
                diffs[p99], diffs.back(), settledText, afterSignal);
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
    const std::string song = rig.MakeSong("sync.ogg", 40, "Cantrel Bench", "Sync Song");
    if (song.empty() || !rig.StartMpv({song})) {
        std::fprintf(stderr, "mpv did not start (see its log in %s).\n", rig.Folder().c_str());
        return 1;
    }
    platform::TBusSignalRecorder signals(rig.BusAddress());
    const auto media = platform::CreateMediaSession(rig.BusAddress());
    player::TPlayerSession session(platform::SystemWindows(), platform::SystemClock(), media.get(), nullptr,
                                   player::TBusThread::Worker);
    for (int i = 0; i < 50 && session.GetSongTitle() != "Cantrel Bench - Sync Song"; ++i) {
        session.PollPlayer();
        std::this_thread::sleep_for(milliseconds(100));
    }
    if (session.AmpKind() != player::akMpris) {
        std::fprintf(stderr, "The session did not find mpv.\n");
        return 1;
    }

    TSampler sampler(session, rig);
    std::printf("|song clock - mpv position| in ms, sampled every 12 ms\n");
    std::printf("%-26s %8s %9s %8s %8s %8s %12s\n", "phase", "samples", "mean", "p99", "max", "settled",
                "after signal");

    std::vector<TSample> steady;
    auto start = Clock::now();
    sampler.Sample(20000, steady);
    Report("steady play, 20 s", steady, &start);
    std::vector<TSample> steadyLine = AgainstFittedLine(steady), seekLine, pauseLine, fastLine;

    // The user seeks in the player, five times, back and forth.
    std::vector<TSample> seek;
    double worstSettled = 0, worstAfterSignal = 0;
    std::string afterSignals;
    for (const char* move : {"-15", "10", "-10", "10", "-10"}) {
        std::vector<TSample> part;
        const auto moved = Clock::now();
        rig.MpvCommand(std::string("[\"seek\",\"") + move + "\",\"relative\"]");
        sampler.Sample(1500, part);
        const auto settled = SettledAt(part, moved);
        worstSettled = std::max(worstSettled, Ms(settled - moved));
        Clock::time_point seeked;
        if (signals.FirstAfter("Seeked", moved, 0, seeked)) {
            const double after = std::max(0.0, Ms(settled - seeked));
            worstAfterSignal = std::max(worstAfterSignal, after);
            afterSignals += (afterSignals.empty() ? "" : ", ") + std::to_string(int(after));
        }
        seek.insert(seek.end(), part.begin(), part.end());
        Append(seekLine, AgainstFittedLine(part));
    }
    Report("across 5 seeks, 7.5 s", seek, nullptr);
    std::printf(
        "  the worst seek settled %.0f ms after the command, %.0f ms after the player's Seeked signal "
        "(each: %s)\n",
        worstSettled, worstAfterSignal, afterSignals.c_str());

    // The user pauses for 1.5 s in the player, then resumes.
    std::vector<TSample> pause;
    start = Clock::now();
    rig.MpvCommand("[\"set_property\",\"pause\",true]");
    sampler.Sample(1500, pause);
    Append(pauseLine, AgainstFittedLine(pause));
    const auto resumed = Clock::now();
    rig.MpvCommand("[\"set_property\",\"pause\",false]");
    std::vector<TSample> resumedPart;
    sampler.Sample(2500, resumedPart);
    Append(pause, resumedPart);
    Append(pauseLine, AgainstFittedLine(resumedPart));
    Clock::time_point resumeSignal;
    const bool heardResume = signals.FirstAfter("PropertiesChanged", resumed, 0, resumeSignal);
    Report("across pause/resume, 4 s", pause, &start, heardResume ? &resumeSignal : nullptr);

    // The user plays faster.
    std::vector<TSample> fast;
    start = Clock::now();
    rig.MpvCommand("[\"set_property\",\"speed\",1.25]");
    sampler.Sample(10000, fast);
    Report("at speed 1.25, 10 s", fast, &start);
    fastLine = AgainstFittedLine(fast);
    auto meanOver = [&](Clock::time_point from, Clock::time_point to) {
        double sum = 0;
        int n = 0;
        for (const auto& s : fast) {
            if (s.at >= from && s.at < to) {
                sum += s.signed_;
                ++n;
            }
        }
        return n ? sum / n : 0.0;
    };
    const double drift = meanOver(start + milliseconds(9000), start + milliseconds(10000)) -
                         meanOver(start, start + milliseconds(1000));
    std::printf("clock drift over 10 s at speed 1.25: %.0f ms\n", drift);

    std::printf("\n|song clock - line fitted through mpv's positions| in ms, per stretch of steady motion\n");
    std::printf("%-26s %8s %9s %8s %8s %8s %12s\n", "phase", "samples", "mean", "p99", "max", "settled",
                "after signal");
    Report("steady play, 20 s", steadyLine, nullptr);
    Report("across 5 seeks, 7.5 s", seekLine, nullptr);
    Report("across pause/resume, 4 s", pauseLine, nullptr);
    Report("at speed 1.25, 10 s", fastLine, nullptr);
    return 0;
}
