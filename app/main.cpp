// The program's start: create the player session and the main window, then run the event loop.
#include "player/EasyAmp.h"

#include "platform/MediaSession.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    const std::unique_ptr<platform::IMediaSession> mediaSession = platform::CreateMediaSession();
    player::TPlayerSession session(platform::SystemWindows(), platform::SystemClock(), mediaSession.get());
    session.DetectPlayer();

    QLabel window;
    window.setMinimumSize(400, 200);
    window.setAlignment(Qt::AlignCenter);
    auto showTitle = [&] {
        const QString title = QString::fromLocal8Bit(session.GetSongTitle().c_str());
        window.setWindowTitle(title);
        window.setText(title);
    };
    showTitle();

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        session.PollPlayer();
        showTitle();
    });
    poll.start(100);

    window.show();
    return app.exec();
}
