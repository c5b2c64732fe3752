// The program's start: create the player session and the main window, then run the event loop.
#include "player/EasyAmp.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    player::TPlayerSession session(platform::SystemWindows(), platform::SystemClock());
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
