// The program's start: the media session, the Sonique driver, the player session, the agent channel and the
// main window, then the event loop. The main window detects the player when it is created.
#include "config/USettings.h"
#include "display/UActiveText.h"
#include "display/UMain.h"
#include "platform/AgentChannel.h"
#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "player/EasyAmp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QSocketNotifier>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kHelp =
    "Usage: cantrel [--help] [--version]\n"
    "\n"
    "Shows the lyrics of the song your music player plays, in step with the music.\n"
    "Cantrel follows the player that runs (on Linux the players that speak MPRIS, such as mpv,\n"
    "VLC, Rhythmbox, Audacious and Spotify) and finds the lyrics in its lyrics folder, in the\n"
    "song's tags or through its search agent. Keys, mouse gestures and the right-button menu\n"
    "control the player; F1 opens the help pages.\n"
    "\n"
    "A second start brings the running window to the front.\n"
    "\n"
    "Options:\n"
    "  --help     show this text and end\n"
    "  --version  show the version and end\n";

} // namespace

int main(int argc, char* argv[]) {
    // The program's own options come before the window system is reached, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            platform::AttachParentConsole();
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            platform::AttachParentConsole();
            std::printf("Cantrel %s\n", CANTREL_VERSION);
            return 0;
        }
    }

    // One program per program folder: a second start shows the running one and ends.
    const std::unique_ptr<platform::IInstanceLock> instance =
        platform::CreateInstanceLock(platform::ProgramFolder());
    if (!instance->IsFirst())
        return instance->AskFirstToShow() ? 0 : 1;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Cantrel");
    QApplication::setApplicationVersion(CANTREL_VERSION);
    // The desktop entry's name, so Wayland compositors and docks show the program's icon.
    QGuiApplication::setDesktopFileName("org.example.Cantrel");
    QApplication::setWindowIcon(QIcon(":/icons/cantrel-256.png"));

    const std::unique_ptr<platform::IMediaSession> mediaSession = platform::CreateMediaSession();
    // Sonique's driver connects to the player's shared block now and stays connected until the end.
    player::TSoniqueI sonique(platform::SystemWindows(), platform::SystemNamedObjects());
    // Players on the session bus are read on a worker thread, never on this one.
    player::TPlayerSession session(platform::SystemWindows(), platform::SystemClock(), mediaSession.get(),
                                   &sonique, player::TBusThread::Worker);
    const std::unique_ptr<platform::IAgentChannel> agentChannel = platform::CreateAgentChannel();

    display::TMainWindowServices services;
    services.Session = &session;
    services.Clock = &platform::SystemClock();
    services.AgentChannel = agentChannel.get();
    services.ProgramFolder = platform::ProgramFolder();
    services.Separator = platform::PathSeparator();
    services.UserDataFolder = platform::UserDataFolder();
    services.OpenAddress = [](const std::string& address) {
        const QString text = display::FromActive(address);
        QDesktopServices::openUrl(text.contains("://") ? QUrl(text) : QUrl::fromLocalFile(text));
    };

    display::TFormCantrel window(services);
    instance->SetShowRequestHandler([&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    if (instance->EventHandle() >= 0) {
        auto* notifier = new QSocketNotifier(instance->EventHandle(), QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, [&instance] { instance->ProcessPending(); });
    }
    window.show();
    return app.exec();
}
