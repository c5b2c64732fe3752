// Runs the real main window with a fake Winamp and prints what the program costs at rest: the time from
// start to the first drawn frame, the CPU time it uses over the measured time (as a share of one core),
// how often the scene view and the frame's controls are drawn, how often a timer wakes the program, and
// the resident memory (with --memory, where it goes). Optionally saves a screenshot of the window.
//
//   bench_main_window [--scenario NAME] [--seconds N] [--screenshot FILE.png] [--memory]
//
// Scenarios (lyrics found in every one; fading, highlighting and smooth scrolling on, as by default):
//   today   a line every 3 s, text size 15 (the default size)
//   fast    a line every 1.5 s, text size 22
//   paused  the lyrics of "fast", the player paused
//   plain   lyrics without times, the player playing
//
// Run it under a display (scripts/measure-cpu runs it under Xvfb).
#include "bench/BenchLyrics.h"
#include "display/UMain.h"

#include "display/USkinImage.h"
#include "display/scene/GLSceneViewer.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeWinamp.h"
#include "player/EasyAmp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts the paints of the scene view and of the frame's controls, and the timer events of the program.
class TCounter : public QObject {
public:
    explicit TCounter(QElapsedTimer& sinceStart) : SinceStart_(sinceStart) {}
    QObject* SceneView = nullptr;
    qint64 FirstFrameMs = -1;
    long long ViewPaints = 0, ControlPaints = 0, Timers = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            ++Timers;
        } else if (event->type() == QEvent::Paint) {
            if (watched == SceneView) {
                ++ViewPaints;
                if (FirstFrameMs < 0)
                    FirstFrameMs = SinceStart_.elapsed();
            } else if (dynamic_cast<display::TSkinImage*>(watched)) {
                ++ControlPaints;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer& SinceStart_;
};

// The resident memory of this process by mapping: each file by its name, anonymous memory as one.
std::map<std::string, long> ResidentByMapping() {
    std::map<std::string, long> kb;
    std::ifstream smaps("/proc/self/smaps");
    std::string line, name;
    while (std::getline(smaps, line)) {
        if (line.empty())
            continue;
        if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 16) {
            std::istringstream fields(line);
            std::string range, perms, offset, device, inode;
            fields >> range >> perms >> offset >> device >> inode;
            std::getline(fields, name);
            name.erase(0, name.find_first_not_of(' '));
            if (name.empty())
                name = "[anonymous]";
            continue;
        }
        if (line.rfind("Rss:", 0) == 0)
            kb[name] += std::atol(line.c_str() + 4);
    }
    return kb;
}

long ResidentKb() {
    long total = 0;
    for (const auto& entry : ResidentByMapping())
        total += entry.second;
    return total;
}

void PrintMemory() {
    auto kb = ResidentByMapping();
    // Shared libraries grouped by their file name.
    std::vector<std::pair<long, std::string>> rows;
    long total = 0;
    for (const auto& [name, size] : kb) {
        total += size;
        rows.push_back({size, name});
    }
    std::sort(rows.rbegin(), rows.rend());
    std::printf("  resident memory by mapping (total %.1f MB):\n", double(total) / 1024);
    for (std::size_t i = 0; i < rows.size() && i < 14; ++i)
        std::printf("    %7.1f MB  %s\n", double(rows[i].first) / 1024, rows[i].second.c_str());
    const struct mallinfo2 heap = mallinfo2();
    std::printf("  malloc: %.1f MB in use, %.1f MB held\n", double(heap.uordblks) / 1048576,
                double(heap.arena + heap.hblkhd) / 1048576);
}

// Timestamped lyrics for the whole song: a line every `stepMs`, every ninth one blank.
std::string TimedLyrics(int stepMs, int lengthMs) {
    return "[ti:Song]\r\n[dl:http://lyrics.example/]\r\n" + bench::TimedLines(500, stepMs, lengthMs);
}

std::string PlainLyrics() {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += std::string(bench::kVerse[i % 8]) + "\r\n";
    return text;
}

struct TScenario {
    std::string Name, Description;
    int StepMs = 0; // 0: plain lyrics
    int TextSize = 15;
    bool Paused = false;
};

const TScenario kScenarios[] = {
    {"today", "a line every 3 s, text size 15", 3000, 15, false},
    {"fast", "a line every 1.5 s, text size 22", 1500, 22, false},
    {"paused", "a line every 1.5 s, text size 22, the player paused", 1500, 22, true},
    {"plain", "lyrics without times, text size 15", 0, 15, false},
};

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    int seconds = 30;
    std::string screenshot, scenarioName = "today";
    bool memory = false;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (name == "--memory") {
            memory = true;
            continue;
        }
        if (name == "--seconds")
            seconds = std::max(1, std::atoi(value));
        else if (name == "--screenshot")
            screenshot = value;
        else if (name == "--scenario")
            scenarioName = value;
        ++i;
    }
    const TScenario* scenario = nullptr;
    for (const TScenario& s : kScenarios)
        if (s.Name == scenarioName)
            scenario = &s;
    if (!scenario) {
        std::fprintf(stderr, "unknown scenario %s (today, fast, paused, plain)\n", scenarioName.c_str());
        return 2;
    }

    QApplication app(argc, argv);

    const int lengthSeconds = 236;
    const fs::path folder =
        fs::temp_directory_path() / ("cantrel-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(folder / "Cantrel" / "lyrics");
    std::ofstream(folder / "Cantrel" / "lyrics" /
                      (scenario->StepMs ? "The Examples - Counting Song [240].lrc"
                                        : "The Examples - Counting Song.txt"),
                  std::ios::binary)
        << (scenario->StepMs ? TimedLyrics(scenario->StepMs, lengthSeconds * 1000) : PlainLyrics());
    // The lyric font files made by the build, if they are beside this program's sibling, the real one.
    const fs::path fonts = fs::path(platform::ProgramFolder()) / ".." / "app" / "Cantrel";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fonts, error))
        if (entry.path().extension() == ".gsf")
            fs::copy_file(entry.path(), folder / "Cantrel" / entry.path().filename(), error);
    std::ofstream(folder / "Cantrel" / "Settings.ini")
        << "[General]\r\nFontSize=" << scenario->TextSize
        << "\r\n[Display]\r\nShowButtons=1\r\n[Versevault]\r\nUsername=bench\r\n";

    platform::TFakeWindowSystem windows;
    player::TPlayerSession session(windows, platform::SystemClock());
    platform::TFakeWinamp amp(windows, "1. The Examples - Counting Song - Winamp");
    amp.LengthSeconds = lengthSeconds;
    platform::TFakeAgentHub hub;
    platform::TFakeAgentChannel channel(hub);

    // The player plays: its position follows the real time, read when the program asks. Paused, it stands.
    QElapsedTimer playing;
    playing.start();
    if (scenario->Paused) {
        amp.IsPlaying = 3; // Winamp's "paused"
        amp.PositionMs = 10000;
    } else {
        amp.PositionSource = [&] { return std::int32_t(playing.elapsed()); };
    }

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

    int result = 0;
    {
        display::TFormCantrel window(services);
        TCounter counter(sinceStart);
        counter.SceneView = &window.SceneViewer();
        app.installEventFilter(&counter);
        window.show();

        // Two seconds to settle (the first poll comes after one), then the measured time.
        double cpuStart = 0;
        long long viewStart = 0, controlsStart = 0, timersStart = 0;
        QTimer::singleShot(2000, [&] {
            cpuStart = CpuSeconds();
            viewStart = counter.ViewPaints;
            controlsStart = counter.ControlPaints;
            timersStart = counter.Timers;
        });
        QTimer::singleShot(2000 + seconds * 1000, [&] {
            const double cpu = CpuSeconds() - cpuStart;
            std::printf("scenario %s: %s\n", scenario->Name.c_str(), scenario->Description.c_str());
            std::printf("  start to first drawn frame: %lld ms\n",
                        static_cast<long long>(counter.FirstFrameMs));
            std::printf("  CPU over %d s: %.1f %% of one core (%.2f s)\n", seconds, 100 * cpu / seconds, cpu);
            std::printf("  redraws per second: scene view %.1f, frame controls %.1f\n",
                        double(counter.ViewPaints - viewStart) / seconds,
                        double(counter.ControlPaints - controlsStart) / seconds);
            std::printf("  timer wake-ups per second: %.1f\n",
                        double(counter.Timers - timersStart - 1) / seconds);
            std::printf("  resident memory: %.1f MB\n", double(ResidentKb()) / 1024);
            std::printf("  lyrics found: %s, current song: %s\n", window.Lyrics().Found ? "yes" : "no",
                        window.Lyrics().SongName.c_str());
            if (memory)
                PrintMemory();
            if (!screenshot.empty()) {
                const bool saved = window.grab().save(QString::fromStdString(screenshot));
                std::printf("  screenshot %s: %s\n", saved ? "saved" : "NOT saved", screenshot.c_str());
                result = saved ? 0 : 1;
            }
            window.hide();
            app.quit();
        });
        app.exec();
        app.removeEventFilter(&counter);
    }
    fs::remove_all(folder, error);
    return result;
}
