#pragma once
// The media-session door: the players that publish themselves on the desktop's session bus through the
// MPRIS 2 interface (mpv, VLC, Rhythmbox, Audacious, Spotify, ...). The MPRIS driver of the player session
// talks to this interface, never to the bus itself, so tests run it against the in-process fake.
//
// A player is named by its bus name ("org.mpris.MediaPlayer2.mpv"). Text is UTF-8, as on the bus; the
// caller converts it. Every call is bounded in time (the back end's time-out, 200 ms by default), so a
// player that hangs costs at most that much per call. The player session makes these calls on a worker
// thread of its own: one thread uses a session at a time, except for Wake, which any thread may call.
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
    std::string trackId;              // mpris:trackid, an object path
    std::string title;                // xesam:title
    std::vector<std::string> artists; // xesam:artist, in the player's order
    std::string url;                  // xesam:url
    std::int64_t lengthUs = -1;       // mpris:length in microseconds
};

// The player interface's properties the session needs, read in one round trip.
struct TMediaPlayerState {
    std::string playbackStatus; // "Playing", "Paused", "Stopped"; empty when the player does not tell
    TMediaMetadata metadata;
    bool hasPosition = false;
    std::int64_t positionUs = 0;
    bool hasVolume = false;
    double volume = 0;
    bool hasRate = false;
    double rate = 1; // playback speed, 1 normal
};

// Something a player said, or the bus said about it, without being asked.
struct TMediaSignal {
    enum class TKind : std::uint8_t {
        Appeared, // a player's name got an owner
        Vanished, // a player's name lost its owner
        Changed,  // PropertiesChanged of the player interface: the fields flagged below came with it
        Seeked,   // the player jumped to positionUs
        Lost,     // the connection to the bus broke: what was watched is watched no more (Watch again)
        Overflow, // signals came faster than they were taken and some were dropped
    };
    TKind kind = TKind::Changed;
    std::string player; // the bus name; empty for Lost and Overflow
    // Changed: the new values of the properties that came with the signal.
    bool hasStatus = false;
    bool hasMetadata = false;
    TMediaPlayerState state; // hasPosition, hasVolume and hasRate say which of those came
    // Changed: properties named as changed without their value (the receiver asks for them).
    bool invalidated = false;
    // Seeked: the new position.
    std::int64_t positionUs = 0;
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
    // PlaybackStatus, Metadata, Position, Volume and Rate at once.
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

    // Starts listening to every player's signals and to players coming and going. True once listening
    // (then again true without asking anything); false when there is no bus to listen to yet. After a Lost
    // signal the caller watches again.
    virtual bool Watch() = 0;
    // Appends the signals that came, waiting up to timeoutMs for the first; returns early on Wake.
    virtual void WaitForSignals(int timeoutMs, std::vector<TMediaSignal>& received) = 0;
    // Ends a wait in WaitForSignals at once, or the next one when none runs. Any thread may call it.
    virtual void Wake() = 0;
};

constexpr int kMediaCallTimeoutMs = 200;

// The media session of this build. busAddress empty: the user's session bus (DBUS_SESSION_BUS_ADDRESS,
// else $XDG_RUNTIME_DIR/bus); the connection is made on first use and made again after it breaks.
std::unique_ptr<IMediaSession> CreateMediaSession(const std::string& busAddress = {},
                                                  int timeoutMs = kMediaCallTimeoutMs);

} // namespace platform
