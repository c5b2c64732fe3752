// The program's start: the media session, the Sonique driver, the player session, the agent channel and the
// main window, then the event loop. The main window detects the player when it is created.
#include "config/USettings.h"
#include "display/UActiveText.h"
#include "display/UMain.h"
#include "platform/AgentChannel.h"
#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "player/EasyAmp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

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
    window.show();
    return app.exec();
}
