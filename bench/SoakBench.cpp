// A long run of the real main window following a real mpv, to show whether anything grows or drifts: mpv
// plays a playlist of generated songs (each with timed lyrics in the lyrics folder) on a private session bus,
// the window follows it through the player session's bus thread, and a script of random steps plays the
// user: seeks, pauses, song skips (made in the player), window resizes and text-size changes (made in the
// window). Every 10 s it samples the program's resident memory, its heap in use, CPU use, open file
// descriptors and threads, and the song clock's error against mpv's own position (read over mpv's IPC socket
// every 250 ms, counted only while playing and at least 2 s after the last seek, pause or skip). It prints a
// line per sample, the figures at 1, 10 and 30 minutes, and the growth from the first minute to the end.
//
//   bench_soak [--minutes N] [--seed N] [--songs N] [--steps]   defaults 30 minutes, seed 1, 6 songs;
//                                                                --steps prints each user step with its time
//
// It runs on an Xvfb of its own (a free display number), and stops everything it started (mpv, the bus,
// Xvfb) when it ends or is interrupted (Ctrl+C, SIGTERM: the figures so far are printed). With null audio
// output mpv's own position moves in steps of its audio blocks, so a few tens of ms of the clock's error are
// the reference's steps.
#include "bench/BenchLyrics.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/UMain.h"
#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/e2e/MpvRig.h"
#include "platform/fake/FakeAgentChannel.h"
#include "player/EasyAmp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <dirent.h>
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void OnStopSignal(int) {
    StopRequested = 1;
}

// ---- the private X server
// ------------------------------------------------------------------------------------

class TXvfb {
public:
    ~TXvfb() { Stop(); }

    // Starts Xvfb on the first free display number from 90 on; DISPLAY names it. It dies with this process.
    bool Start() {
        for (int n = 90; n < 140; ++n) {
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (access(lock.c_str(), F_OK) == 0 || access(socket.c_str(), F_OK) == 0)
                continue;
            const std::string display = ":" + std::to_string(n);
            const pid_t parent = getpid();
            Pid_ = fork();
            if (Pid_ == 0) {
                // Its own process group: a Ctrl+C reaches this program, which then stops the server after
                // the window is gone.
                setpgid(0, 0);
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (getppid() != parent)
                    _exit(1);
                std::freopen("/dev/null", "w", stdout);
                std::freopen("/dev/null", "w", stderr);
                execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            if (Pid_ < 0)
                return false;
            for (int i = 0; i < 100; ++i) {
                if (access(socket.c_str(), F_OK) == 0) {
                    setenv("DISPLAY", display.c_str(), 1);
                    return true;
                }
                if (waitpid(Pid_, nullptr, WNOHANG) == Pid_) {
                    Pid_ = -1;
                    break; // another server took the number meanwhile: try the next
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            Stop();
        }
        return false;
    }

    void Stop() {
        if (Pid_ <= 0)
            return;
        kill(Pid_, SIGTERM);
        for (int i = 0; i < 50 && waitpid(Pid_, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (waitpid(Pid_, nullptr, WNOHANG) == 0) {
            kill(Pid_, SIGKILL);
            waitpid(Pid_, nullptr, 0);
        }
        Pid_ = -1;
    }

private:
    pid_t Pid_ = -1;
};

// ---- what the process holds
// ----------------------------------------------------------------------------------

long StatusField(const char* name) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(name);
    while (std::getline(in, line))
        if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    return -1;
}

int OpenFds() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        closedir(dir);
        --count; // the directory's own descriptor
    }
    return count;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct TSample {
    double Minutes = 0;
    double RssMb = 0;
    double HeapMb = 0;     // malloc's bytes in use: what a leak of our own would grow
    double CpuPercent = 0; // of one core, over the interval
    int Fds = 0;
    int Threads = 0;
    int ClockSamples = 0;
    double ClockMeanMs = 0; // mean |clock - mpv| over the interval
    double ClockP95Ms = 0;
    double ClockMaxMs = 0;
    int Actions = 0;
    int Songs = 0; // song changes the window followed so far
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

void PrintSample(const TSample& s) {
    std::printf("%6.1f min  rss %7.1f MB  heap %6.1f MB  cpu %5.1f %%  fds %3d  threads %2d  clock |err| "
                "mean %6.1f p95 %6.1f "
                "max %7.1f ms (%3d)  steps %4d  songs %3d\n",
                s.Minutes, s.RssMb, s.HeapMb, s.CpuPercent, s.Fds, s.Threads, s.ClockMeanMs, s.ClockP95Ms,
                s.ClockMaxMs, s.ClockSamples, s.Actions, s.Songs);
    std::fflush(stdout);
}

// ---- the songs
// -----------------------------------------------------------------------------------------------

std::string TimedLyrics(int song, int lengthMs) {
    return "[ti:Soak Song " + std::to_string(song) + "]\r\n" +
           bench::TimedLines(300, 1500 + 500 * (song % 4), lengthMs, song);
}

} // namespace

int main(int argc, char* argv[]) {
    double minutes = 30;
    unsigned seed = 1;
    int songCount = 6;
    bool verbose = false;
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--steps") {
            verbose = true;
            --i;
        } else if (i + 1 >= argc) {
            std::fprintf(stderr, "usage: bench_soak [--minutes N] [--seed N] [--songs N] [--steps]\n");
            return 2;
        } else if (name == "--minutes")
            minutes = std::max(0.2, std::atof(argv[i + 1]));
        else if (name == "--seed")
            seed = unsigned(std::strtoul(argv[i + 1], nullptr, 10));
        else if (name == "--songs")
            songCount = std::clamp(std::atoi(argv[i + 1]), 2, 50);
        else {
            std::fprintf(stderr, "usage: bench_soak [--minutes N] [--seed N] [--songs N] [--steps]\n");
            return 2;
        }
    }
    const std::string missing = platform::TMpvRig::Missing();
    if (!missing.empty()) {
        std::fprintf(stderr, "This machine lacks %s.\n", missing.c_str());
        return 1;
    }

    // Interruptions end the run through the event loop, so that everything started is stopped.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    TXvfb xvfb;
    if (!xvfb.Start()) {
        std::fprintf(stderr, "Xvfb did not start.\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("QT_ACCESSIBILITY", "0", 1);

    platform::TMpvRig rig;
    if (!rig.StartBus()) {
        std::fprintf(stderr, "The private session bus did not start.\n");
        return 1;
    }

    const fs::path folder = fs::path(rig.Folder()) / "program";
    fs::create_directories(folder / "Cantrel" / "lyrics");
    std::vector<std::string> songs;
    std::printf("making %d songs...\n", songCount);
    std::fflush(stdout);
    for (int i = 0; i < songCount && !StopRequested; ++i) {
        const int seconds = 45 + 15 * (i % 4);
        const std::string artist = "Soak Band";
        const std::string title = "Soak Song " + std::to_string(i + 1);
        const std::string song =
            rig.MakeSong("song" + std::to_string(i + 1) + ".ogg", seconds, artist, title, 220 + 55 * i);
        if (song.empty()) {
            std::fprintf(stderr, "sox could not make a song (see %s).\n", rig.Folder().c_str());
            return 1;
        }
        songs.push_back(song);
        std::ofstream(folder / "Cantrel" / "lyrics" / (artist + " - " + title + ".lrc"), std::ios::binary)
            << TimedLyrics(i + 1, seconds * 1000);
    }
    // The lyric font files made by the build, beside the real program.
    const fs::path fonts = fs::path(platform::ProgramFolder()) / ".." / "app" / "Cantrel";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fonts, error))
        if (entry.path().extension() == ".gsf")
            fs::copy_file(entry.path(), folder / "Cantrel" / entry.path().filename(), error);
    std::ofstream(folder / "Cantrel" / "Settings.ini")
        << "[General]\r\nFontSize=22\r\nCharset=charset_english\r\n[Files]\r\nLyricsDir="
        << (folder / "Cantrel" / "lyrics").string()
        << "\r\n[Display]\r\nScroll=1\r\nScrollSmooth=1\r\nHighlightLine=1\r\nFadeLyrics=1\r\nShowButtons="
           "1\r\n"
           "[Lyrics]\r\nSearchInternet=0\r\nReadTitleInfoFromTag=0\r\n";

    if (StopRequested || !rig.StartMpv(songs, {"--loop-playlist=inf"})) {
        std::fprintf(stderr, "mpv did not start (see its log in %s).\n", rig.Folder().c_str());
        return 1;
    }

    QApplication app(argc, argv);
    const std::unique_ptr<platform::IMediaSession> media = platform::CreateMediaSession(rig.BusAddress());
    player::TPlayerSession session(platform::SystemWindows(), platform::SystemClock(), media.get(), nullptr,
                                   player::TBusThread::Worker);
    platform::TFakeAgentHub hub;
    platform::TFakeAgentChannel channel(hub);
    display::TMainWindowServices services;
    services.Session = &session;
    services.Clock = &platform::SystemClock();
    services.AgentChannel = &channel;
    services.ProgramFolder = folder.string() + "/";
    services.Separator = '/';
    services.OpenAddress = [](const std::string&) {};
    services.ShowWarning = [](const std::string& message) {
        std::fprintf(stderr, "warning: %s\n", message.c_str());
    };

    std::vector<TSample> samples;
    {
        display::TFormCantrel window(services);
        window.resize(640, 400);
        window.show();

        std::mt19937 random(seed);
        QElapsedTimer run;
        run.start();
        qint64 lastDisturbance = 0; // when the last seek, pause or skip was made
        bool paused = false;
        int actions = 0, songChanges = 0;
        std::string song;
        std::vector<double> clockErrors;
        double cpuBefore = CpuSeconds();
        qint64 sampledAt = 0;
        const qint64 endMs = qint64(minutes * 60000);

        QTimer stopCheck;
        QObject::connect(&stopCheck, &QTimer::timeout, [&] {
            if (StopRequested)
                app.quit();
        });
        stopCheck.start(100);

        // The clock against mpv, while playing and settled.
        QTimer clockTimer;
        QObject::connect(&clockTimer, &QTimer::timeout, [&] {
            if (window.Lyrics().SongName != song) {
                song = window.Lyrics().SongName;
                ++songChanges;
            }
            if (paused || run.elapsed() - lastDisturbance < 2000)
                return;
            const double before = session.GetSongPosition();
            const double mpv = rig.MpvPositionMs();
            const double after = session.GetSongPosition();
            // Near a song's end mpv moves on by itself; those samples belong to no steady play.
            double duration = 0;
            if (mpv >= 0 && rig.MpvNumber("duration", duration) && mpv > 1000 && mpv < duration * 1000 - 1500)
                clockErrors.push_back(std::fabs((before + after) / 2 - mpv));
        });
        clockTimer.start(250);

        // The user: a step every 2 to 6 s.
        QTimer userTimer;
        userTimer.setSingleShot(true);
        auto step = [&] {
            ++actions;
            const int kind = int(random() % 10);
            if (verbose)
                std::printf("%6.2f min  step %s\n", double(run.elapsed()) / 60000,
                            kind < 3   ? "seek"
                            : kind < 5 ? (paused ? "resume" : "pause")
                            : kind < 6 ? "skip"
                            : kind < 8 ? "resize"
                                       : "text size");
            if (kind < 3) { // seek
                double duration = 60;
                rig.MpvNumber("duration", duration);
                const int to = int(random() % unsigned(std::max(1.0, duration - 4)));
                rig.MpvCommand("[\"seek\"," + std::to_string(to) + ",\"absolute\"]");
                lastDisturbance = run.elapsed();
            } else if (kind < 5) { // pause or resume
                paused = !paused;
                rig.MpvCommand(std::string("[\"set_property\",\"pause\",") + (paused ? "true" : "false") +
                               "]");
                lastDisturbance = run.elapsed();
            } else if (kind < 6) { // skip
                rig.MpvCommand(random() % 3 == 0 ? "[\"playlist-prev\",\"force\"]"
                                                 : "[\"playlist-next\",\"force\"]");
                lastDisturbance = run.elapsed();
            } else if (kind < 8) { // resize
                if (window.isMaximized())
                    window.showNormal();
                window.resize(320 + int(random() % 700), 200 + int(random() % 600));
            } else { // text size
                window.DisplayEngine().ChangeFontSize(random() % 2 == 0);
            }
            userTimer.start(2000 + int(random() % 4000));
        };
        QObject::connect(&userTimer, &QTimer::timeout, step);
        userTimer.start(3000);

        auto sample = [&] {
            const qint64 now = run.elapsed();
            const double cpu = CpuSeconds();
            TSample s;
            s.Minutes = double(now) / 60000;
            s.RssMb = double(StatusField("VmRSS")) / 1024;
            s.HeapMb = double(mallinfo2().uordblks) / 1048576;
            s.CpuPercent = 100 * (cpu - cpuBefore) / (double(now - sampledAt) / 1000);
            s.Fds = OpenFds();
            s.Threads = int(StatusField("Threads"));
            s.ClockSamples = int(clockErrors.size());
            if (!clockErrors.empty()) {
                double sum = 0;
                for (double e : clockErrors)
                    sum += e;
                s.ClockMeanMs = sum / double(clockErrors.size());
                s.ClockP95Ms = Percentile(clockErrors, 0.95);
                s.ClockMaxMs = *std::max_element(clockErrors.begin(), clockErrors.end());
            }
            s.Actions = actions;
            s.Songs = songChanges;
            samples.push_back(s);
            PrintSample(s);
            clockErrors.clear();
            cpuBefore = cpu;
            sampledAt = now;
            if (now >= endMs - 1000)
                app.quit();
        };
        QTimer sampleTimer;
        QObject::connect(&sampleTimer, &QTimer::timeout, sample);
        sampleTimer.start(10000);

        std::printf("soak: %.1f min, seed %u, %d songs; mpv on %s, display %s\n", minutes, seed, songCount,
                    rig.BusAddress().c_str(), std::getenv("DISPLAY"));
        std::fflush(stdout);
        app.exec();
        if (StopRequested)
            std::printf("interrupted after %.1f min\n", double(run.elapsed()) / 60000);
        if (paused)
            rig.MpvCommand("[\"set_property\",\"pause\",false]");
        window.hide();
    }

    // The figures at 1, 10 and 30 minutes (the samples nearest), and the growth after the first minute.
    if (!samples.empty()) {
        std::printf(
            "\nfigures (clock error: the minute up to the mark, samples while playing and settled)\n");
        auto minuteWindow = [&](double end) {
            std::vector<const TSample*> in;
            for (const TSample& s : samples)
                if (s.Minutes > end - 1.0001 && s.Minutes <= end + 0.0001)
                    in.push_back(&s);
            return in;
        };
        auto nearest = [&](double mark) {
            const TSample* at = &samples.front();
            for (const TSample& s : samples)
                if (std::fabs(s.Minutes - mark) < std::fabs(at->Minutes - mark))
                    at = &s;
            return at;
        };
        const TSample* shown = nullptr;
        for (double mark : {1.0, 10.0, 30.0, samples.back().Minutes}) {
            const TSample* at = nearest(mark);
            if (mark > samples.back().Minutes + 0.1 || at == shown)
                continue;
            shown = at;
            double sum = 0, worst = 0, p95 = 0;
            int count = 0;
            for (const TSample* s : minuteWindow(at->Minutes)) {
                sum += s->ClockMeanMs * s->ClockSamples;
                count += s->ClockSamples;
                worst = std::max(worst, s->ClockMaxMs);
                p95 = std::max(p95, s->ClockP95Ms);
            }
            std::printf("  at %5.1f min: rss %.1f MB, heap %.1f MB, cpu %.1f %%, fds %d, threads %d, clock "
                        "|err| mean %.1f ms, "
                        "worst p95 of 10 s %.1f ms, max %.1f ms (%d readings)\n",
                        at->Minutes, at->RssMb, at->HeapMb, at->CpuPercent, at->Fds, at->Threads,
                        count ? sum / count : 0.0, p95, worst, count);
        }
        const TSample* first = nearest(1.0);
        const TSample& last = samples.back();
        double cpuSum = 0;
        int cpuCount = 0;
        for (const TSample& s : samples)
            if (s.Minutes > first->Minutes + 0.0001) {
                cpuSum += s.CpuPercent;
                ++cpuCount;
            }
        std::printf("growth from %.1f to %.1f min: rss %+.1f MB (%.1f -> %.1f), heap %+.1f MB (%.1f -> "
                    "%.1f), fds %+d (%d -> %d), threads %+d "
                    "(%d -> %d); mean cpu after it %.1f %%; %d steps, %d song changes followed\n",
                    first->Minutes, last.Minutes, last.RssMb - first->RssMb, first->RssMb, last.RssMb,
                    last.HeapMb - first->HeapMb, first->HeapMb, last.HeapMb, last.Fds - first->Fds,
                    first->Fds, last.Fds, last.Threads - first->Threads, first->Threads, last.Threads,
                    cpuCount ? cpuSum / cpuCount : 0.0, last.Actions, last.Songs);
    }
    // The rig stops mpv and the bus as it goes; Xvfb goes last.
    return StopRequested ? 130 : 0;
}
