#pragma once
// MPRIS driver: the players that publish themselves on the desktop's session bus (mpv, VLC, Rhythmbox,
// Audacious, Spotify, ...), reached through the media-session interface. It knows every player on the bus,
// chooses the one to follow (TMprisChooser; the user may pin one), and answers from what that player told
// last, so no answer ever waits on the bus.
//
// The bus itself is read by TMprisBus. With TBusThread::Worker that runs on a thread of the driver's own,
// which listens for the players' signals, reads on its schedule, carries out the commands queued here and
// publishes what it knows; Refresh takes the newest of it, and HasNews tells, without waiting, that there is
// something newer. With TBusThread::Caller (tests) the bus is read inside Find and Refresh, and commands are
// carried out at once.
//
// Owned by the player session; used from one thread (the session's), except that the news listener is
// called from the worker. It keeps the media session and the clock it was given; both must outlive it. A
// null media session means a build without media players: nothing is ever found. Text it returns is
// single-byte text in the active code page.

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "player/MprisBus.h"
#include "player/MprisChooser.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace player {

enum class TBusThread : std::uint8_t {
    Caller, // the bus is read by the caller, inside Find and Refresh
    Worker, // by a thread of the driver's own
};

// Told, on the bus worker's thread, that a player said something new. The receiver should poll the session
// soon, on the session's thread; it must not call the session from inside this call.
class IPlayerNewsListener {
public:
    virtual ~IPlayerNewsListener() = default;
    virtual void PlayerNews() = 0;
};

class TMprisI {
public:
    TMprisI(platform::IMediaSession* media, platform::IClock& clock, TBusThread thread = TBusThread::Caller);
    ~TMprisI();
    TMprisI(const TMprisI&) = delete;
    TMprisI& operator=(const TMprisI&) = delete;

    // Chooses the player to follow afresh, from what is known of the bus. False when there is none.
    bool Find();
    // True while the followed player is on the bus.
    bool IsAlive() const;
    // Takes the newest state of the bus and chooses again: a player that starts playing may take over.
    void Refresh();
    // The bus worker has published something newer than Refresh took. Never waits.
    bool HasNews() const;
    void SetNewsListener(IPlayerNewsListener* listener);

    // Pins the players of a key (see MprisPlayerKey); empty for the automatic choice.
    void Pin(const std::string& key) { Pinned_ = key; }
    const std::string& Pinned() const { return Pinned_; }
    struct TPlayerItem {
        std::string key;
        std::string identity; // the name for people
        bool followed = false;
    };
    // The players on the bus, one per key, in name order.
    std::vector<TPlayerItem> Players() const;
    // Changes whenever another player is followed.
    std::uint64_t FollowSerial() const { return FollowSerial_; }
    // The followed player has just begun a track it names only by its file name, and may still tell its
    // tags: for up to kNameOnlyHoldMs the session does not take the track for a song.
    bool Holding() const { return Holding_; }

    // The followed player's name for people ("mpv"), in the active code page.
    std::string Identity() const;
    // "Artist - Title", the file name when the player tells no title, "Stopped" while stopped; empty once
    // the player has gone.
    std::string Title() const;
    // The playing file's full path; empty for anything but a local file.
    std::string FileName() const;
    // Seconds, 0 when unknown.
    std::int32_t LengthSeconds() const;

    // The followed player's position and speed as last told.
    bool Answered() const;    // its last read got an answer
    bool HasPosition() const; // it tells its position
    // Its position at the tick count now (moved on at its speed while it plays), and as last read or told.
    std::int32_t PositionMsAt(std::uint32_t now) const;
    std::int32_t ToldPositionMs() const;
    double Rate() const;
    // It plays, by its own word (a player that tells no status counts as playing), at a speed above 0.
    bool Running() const;
    std::uint64_t Seeks() const;    // Seeked signals so far
    std::uint64_t Readings() const; // positions read so far

    void Command(platform::TMediaCommand command);
    // Changes the volume by delta (0..1 scale), kept within 0 and 1.
    void ChangeVolume(double delta);
    void SeekBy(std::int32_t offsetMs);
    // Seeks to ms in the current track; currentMs is where the song clock stands, for players that tell no
    // track id.
    void SeekTo(std::int32_t ms, std::int32_t currentMs);

    // How long the worker waits for signals when nothing is due.
    static constexpr int kWorkerWaitMs = 1000;
    // Most commands waiting for the worker; more drop the oldest (keys held down on a player that hangs).
    static constexpr std::size_t kMaxQueuedCommands = 16;
    static constexpr std::uint32_t kNameOnlyHoldMs = 500;

private:
    const TMprisReading* Followed() const;
    void Take(std::vector<TMprisReading> players, bool listed);
    void Choose();
    void Post(TMprisCommand command);
    void Run();

    platform::IMediaSession* Media_;
    platform::IClock& Clock_;
    const TBusThread Thread_;
    std::unique_ptr<TMprisBus> Bus_;

    // Shared with the worker, under Lock_.
    mutable std::mutex Lock_;
    std::vector<TMprisReading> Published_;
    bool PublishedListed_ = false;
    std::vector<TMprisCommand> Queue_;
    std::string SharedFollowed_;
    std::atomic<bool> Stop_{false};
    std::atomic<std::uint64_t> Generation_{0};
    std::mutex NewsLock_;
    IPlayerNewsListener* News_ = nullptr;
    std::thread Worker_;

    // The session's side.
    std::uint64_t Taken_ = 0;
    std::vector<TMprisReading> Players_;
    bool Listed_ = false;
    TMprisChooser Chooser_;
    std::string Pinned_;
    std::string Player_;   // bus name of the followed player; empty when none
    std::string Identity_; // UTF-8; converted when read, so that a change of the code page shows at once
    std::uint64_t FollowSerial_ = 0;
    bool Holding_ = false;
    std::string NameOnlyTrack_; // the track last seen named only by its file (track id and URL)
    std::uint32_t NameOnlySince_ = 0;
};

// The rules, free of the bus, in UTF-8.
// The local path of a "file://" URL (empty host or "localhost"), percent-decoded; empty for anything else.
std::string MprisFileName(const std::string& url);
// The title the session shows for a player state: see TMprisI::Title. Several artists are joined with ", ";
// a title that is the file name of the URL loses its extension (players tell an untagged file's name).
std::string MprisTitle(const platform::TMediaPlayerState& state);
// The track is known only by its file name: no title, or the URL's file name as the title.
bool MprisTitleIsFileName(const platform::TMediaMetadata& metadata);

} // namespace player
