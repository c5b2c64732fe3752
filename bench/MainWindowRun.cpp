// Runs the real main window with a fake Winamp playing a song that has timestamped lyrics, and prints what
// the program costs at rest: the time from start to the first drawn frame, the CPU time it uses over the
// measured playback (as a share of one core) and the frames it draws per second. Optionally saves a
// screenshot of the window.
//
//   bench_main_window [--seconds N] [--screenshot FILE.png]
//
// Run it under a display (scripts/measure-cpu runs it under Xvfb).
#include "display/UMain.h"

#include "display/scene/GLSceneViewer.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeWinamp.h"
#include "player/EasyAmp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Notes the first paint of the scene view.
class TFirstFrame : public QObject {
public:
    explicit TFirstFrame(QElapsedTimer& sinceStart) : SinceStart_(sinceStart) {}
    qint64 FirstFrameMs = -1;
    int Paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++Paints;
            if (FirstFrameMs < 0)
                FirstFrameMs = SinceStart_.elapsed();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer& SinceStart_;
};

const char kLyrics[] =
    "[ti:Song]\r\n[dl:http://lyrics.example/]\r\n"
    "[00:00.50]Somewhere a player turns\r\n[00:03.00]and lines come up in time\r\n"
    "[00:06.00]each one a little brighter\r\n[00:09.00]then fading out behind\r\n"
    "[00:12.00]\r\n[00:14.00]the clock keeps its own counting\r\n"
    "[00:17.00]between the player's words\r\n[00:20.00]so every line arrives\r\n"
    "[00:23.00]exactly when it's heard\r\n[00:26.00]\r\n[00:28.00]and when the song is over\r\n"
    "[00:31.00]the window waits in black\r\n[00:34.00]until the next one starts\r\n"
    "[00:37.00]and brings the lyrics back\r\n";

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    int seconds = 30;
    std::string screenshot;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--seconds")
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (name == "--screenshot")
            screenshot = argv[i + 1];
    }

    QApplication app(argc, argv);

    const fs::path folder =
        fs::temp_directory_path() / ("cantrel-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(folder / "Cantrel" / "lyrics");
    std::ofstream(folder / "Cantrel" / "lyrics" / "The Examples - Counting Song [240].lrc", std::ios::binary)
        << kLyrics;
    // The lyric font files made by the build, if they are beside this program's sibling, the real one.
    const fs::path fonts = fs::path(platform::ProgramFolder()) / ".." / "app" / "Cantrel";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fonts, error))
        if (entry.path().extension() == ".gsf")
            fs::copy_file(entry.path(), folder / "Cantrel" / entry.path().filename(), error);
    std::ofstream(folder / "Cantrel" / "Settings.ini")
        << "[Display]\r\nShowButtons=1\r\n[Versevault]\r\nUsername=bench\r\n";

    platform::TFakeWindowSystem windows;
    player::TPlayerSession session(windows, platform::SystemClock());
    platform::TFakeWinamp amp(windows, "1. The Examples - Counting Song - Winamp");
    amp.LengthSeconds = 236;
    platform::TFakeAgentHub hub;
    platform::TFakeAgentChannel channel(hub);

    // The player plays: its position follows the real time.
    QElapsedTimer playing;
    playing.start();
    QTimer player;
    QObject::connect(&player, &QTimer::timeout, [&] { amp.PositionMs = std::int32_t(playing.elapsed()); });
    player.start(50);

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
        TFirstFrame firstFrame(sinceStart);
        window.SceneViewer().installEventFilter(&firstFrame);
        window.show();

        // Two seconds to settle (the first poll comes after one), then the measured playback.
        double cpuStart = 0;
        int paintsStart = 0;
        QTimer::singleShot(2000, [&] {
            cpuStart = CpuSeconds();
            paintsStart = firstFrame.Paints;
        });
        QTimer::singleShot(2000 + seconds * 1000, [&] {
            const double cpu = CpuSeconds() - cpuStart;
            std::printf("start to first drawn frame: %lld ms\n",
                        static_cast<long long>(firstFrame.FirstFrameMs));
            std::printf("CPU over %d s of playback: %.1f %% of one core (%.2f s)\n", seconds,
                        100 * cpu / seconds, cpu);
            std::printf("frames drawn per second: %.1f\n", double(firstFrame.Paints - paintsStart) / seconds);
            std::printf("lyrics found: %s, current song: %s\n", window.Lyrics().Found ? "yes" : "no",
                        window.Lyrics().SongName.c_str());
            if (!screenshot.empty()) {
                const bool saved = window.grab().save(QString::fromStdString(screenshot));
                std::printf("screenshot %s: %s\n", saved ? "saved" : "NOT saved", screenshot.c_str());
                result = saved ? 0 : 1;
            }
            window.hide();
            app.quit();
        });
        app.exec();
    }
    fs::remove_all(folder, error);
    return result;
}
