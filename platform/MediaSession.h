#pragma once
// The media-session door: the players that publish themselves on the desktop's session bus through the
// MPRIS 2 interface (mpv, VLC, Rhythmbox, Audacious, Spotify, ...). The MPRIS driver of the player session
// talks to this interface, never to the bus itself, so tests run it against the in-process fake.
//
// A player is named by its bus name ("org.mpris.MediaPlayer2.mpv"). Text is UTF-8, as on the bus; the
// caller converts it. Every call is bounded in time (the back end's time-out, 200 ms by default), so a
// player that hangs costs at most that much per call.
//
// Back ends: platform/linux/DBusMediaSession.cpp (libdbus), platform/win32/Win32MediaSession.cpp (no media
// players: lists nothing), platform/fake/FakeMediaSession.h for tests. CreateMediaSession returns the
// back end of this build; the caller owns it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Outcome of one call.
enum class TMediaCall : std::uint8_t {
    Ok,
    NoPlayer, // the name has no owner (the player has gone), or there is no bus
    Failed,   // the player answered with an error, or the answer was not of the expected form
    TimedOut, // no answer within the time-out
};

// What a player tells about its current track; absent fields stay empty or -1.
struct TMediaMetadata {
    std::string trackId;        // mpris:trackid, an object path
    std::string title;          // xesam:title
    std::string artist;         // the first entry of xesam:artist
    std::string url;            // xesam:url
    std::int64_t lengthUs = -1; // mpris:length in microseconds
};

// The player interface's properties the poll needs, read in one round trip.
struct TMediaPlayerState {
    std::string playbackStatus; // "Playing", "Paused", "Stopped"; empty when the player does not tell
    TMediaMetadata metadata;
    bool hasPosition = false;
    std::int64_t positionUs = 0;
    bool hasVolume = false;
    double volume = 0;
};

enum class TMediaCommand : std::uint8_t { Play, Pause, PlayPause, Stop, Next, Previous, Raise };

class IMediaSession {
public:
    virtual ~IMediaSession() = default;

    // The bus names that start with "org.mpris.MediaPlayer2.", sorted; empty when there is no bus.
    virtual std::vector<std::string> ListPlayers() = 0;
    // True while the name has an owner.
    virtual bool IsPlayerPresent(const std::string& player) = 0;
    // The player's Identity, its name for people ("mpv", "VLC media player").
    virtual TMediaCall Identity(const std::string& player, std::string& identity) = 0;
    // PlaybackStatus, Metadata, Position and Volume at once.
    virtual TMediaCall ReadState(const std::string& player, TMediaPlayerState& state) = 0;
    virtual TMediaCall PlaybackStatus(const std::string& player, std::string& status) = 0;
    virtual TMediaCall Volume(const std::string& player, double& volume) = 0;
    virtual TMediaCall SetVolume(const std::string& player, double volume) = 0;
    virtual TMediaCall Command(const std::string& player, TMediaCommand command) = 0;
    // Moves the position by offsetUs (negative: back).
    virtual TMediaCall Seek(const std::string& player, std::int64_t offsetUs) = 0;
    // Sets the position of the track trackId; players ignore it for any other track.
    virtual TMediaCall SetPosition(const std::string& player, const std::string& trackId,
                                   std::int64_t positionUs) = 0;
};

constexpr int kMediaCallTimeoutMs = 200;

// The media session of this build. busAddress empty: the user's session bus (DBUS_SESSION_BUS_ADDRESS,
// else $XDG_RUNTIME_DIR/bus); the connection is made on first use and made again after it breaks.
std::unique_ptr<IMediaSession> CreateMediaSession(const std::string& busAddress = {},
                                                  int timeoutMs = kMediaCallTimeoutMs);

} // namespace platform
