#pragma once
// What the tests against a fake player process share: a player session on the system's window system and
// clock, and a listener that records every title the session reports.

#include "player/EasyAmp.h"

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace player_wine_test {

// How far the tick clock may run between an anchoring poll and the read after it; generous on purpose.
constexpr std::int32_t kSlackMs = 10000;

struct TRecordingListener : player::ISongChangeListener {
    explicit TRecordingListener(player::TPlayerSession& s) : Session(s) {}
    void UpdateSong() override { Titles.push_back(Session.GetSongTitle()); }
    player::TPlayerSession& Session;
    std::vector<std::string> Titles;
};

// A session that reports to the listener. A test's link adds its player process as a member of its own, so
// the process ends before the session.
struct TSessionLink {
    TSessionLink() : Session(platform::SystemWindows(), platform::SystemClock()), Listener(Session) {
        Session.SetSongChangeListener(&Listener);
    }
    TSessionLink(const TSessionLink&) = delete;
    TSessionLink& operator=(const TSessionLink&) = delete;

    // Detection, then the song change, as the first two polls of a run.
    void Follow() {
        Session.PollPlayer();
        Session.PollPlayer();
    }

    player::TPlayerSession Session;
    TRecordingListener Listener;
};

} // namespace player_wine_test
