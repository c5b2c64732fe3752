#pragma once
// MPRIS driver: the players that publish themselves on the desktop's session bus (mpv, VLC, Rhythmbox,
// Audacious, Spotify, ...), reached through the media-session interface. It follows one player, by bus
// name, and keeps what that player told at its last read. Only Find, IsAlive, Refresh and the commands ask
// the bus; every other answer comes from the last read and costs nothing, so the song clock's per-frame
// read never waits on the bus.
//
// Owned by the player session. It keeps the media session and the clock it was given; both must outlive it.
// A null media session means a build without media players: nothing is ever found. Text it returns is
// single-byte text in the active code page.

#include "platform/MediaSession.h"
#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace player {

class TMprisI {
public:
    TMprisI(platform::IMediaSession* media, platform::IClock& clock);

    // Chooses the player to follow: among the MPRIS players the first that is Playing, else the first;
    // reads its name and state. False when there is none.
    bool Find();
    // True while the followed player's bus name has an owner.
    bool IsAlive();
    // Reads the followed player's state (one round trip). A player that did not answer in time is not
    // asked again for kQuietMs; meanwhile the last state stands.
    void Refresh();

    // The player's name for people ("mpv").
    // The player's own name, in the active code page.
    std::string Identity() const;
    // "Artist - Title", the file name when the player tells no title, "Stopped" while stopped; empty once
    // the player has gone.
    std::string Title() const;
    // The playing file's full path; empty for anything but a local file.
    std::string FileName() const;
    std::int32_t PositionMs() const;
    // Seconds, 0 when unknown.
    std::int32_t LengthSeconds() const;
    // Whether the player's position may be trusted to stand still only in a pause: the player says it is
    // playing, tells no position, or did not answer the last read.
    bool IsPlaying() const;

    void Command(platform::TMediaCommand command);
    // Changes the volume by delta (0..1 scale), kept within 0 and 1.
    void ChangeVolume(double delta);
    void SeekBy(std::int32_t offsetMs);
    // Seeks to ms in the current track; currentMs is where the song clock stands, for players that tell no
    // track id.
    void SeekTo(std::int32_t ms, std::int32_t currentMs);

    static constexpr std::uint32_t kQuietMs = 1000;

private:
    platform::IMediaSession* Media_;
    platform::IClock& Clock_;
    std::string Player_; // bus name of the followed player; empty when none
    std::string Identity_;
    platform::TMediaPlayerState State_;
    bool Answered_ = false; // the last read got an answer
    bool Gone_ = false;     // the last read found the player gone
    bool Quiet_ = false;
    std::uint32_t QuietUntil_ = 0;
};

// The rules, free of the bus, in UTF-8.
// The local path of a "file://" URL (empty host or "localhost"), percent-decoded; empty for anything else.
std::string MprisFileName(const std::string& url);
// The title the session shows for a player state: see TMprisI::Title.
std::string MprisTitle(const platform::TMediaPlayerState& state);

} // namespace player
