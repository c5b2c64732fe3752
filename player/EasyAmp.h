#pragma once
// The player session: the one place that knows which media player runs. It detects the player, reads and
// cleans its title, notices song changes, keeps the song clock between polls and routes transport commands
// to the player's driver.
//
// One instance lives for the whole run; it is created by main() and passed to whoever needs it. It holds
// references to the window system, the clock, the media session and the Sonique driver it was given; all
// must outlive it. It is used from one thread; only the players on the session bus are read on a worker
// thread of their driver's (see TMprisI), and the session reads what that worker published, never the bus.

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "player/MprisI.h"
#include "player/USoniqueI.h"

#include <cstdint>
#include <string>
#include <vector>

namespace player {

enum ampKindT : std::uint8_t {
    akNone = 0,
    akWinamp = 1,
    akQcd = 2,
    akFoobar = 3,
    akMediaMonkey = 4,
    akSonique = 5,
    akWmp = 6,
    akMpris = 7, // a player on the session bus (MPRIS); its display name is the player's own
};

struct ampInfoT {
    std::string name;
    std::int32_t granularity = 0; // ms a standing position may lag the clock before it counts as a pause
};

struct currentSongT {
    std::string title;
    std::string fileName;
    std::int32_t position = 0; // ms, the song clock
    std::int32_t length = 0;   // seconds; -1 right after a song change, 0 or less when unknown
};

// Display name and granularity of a kind. For akMpris the session shows the player's own name instead.
ampInfoT AmpInfoFor(ampKindT kind);

extern const char* const kNoPlayerTitle; // "No Player Detected"
extern const char* const kStoppedTitle;  // "Stopped"

// Called synchronously from inside a poll, after the song record has been refreshed.
class ISongChangeListener {
public:
    virtual ~ISongChangeListener() = default;
    virtual void UpdateSong() = 0;
};

class TPlayerSession {
public:
    // Without a media session, players on the session bus are never found; without a Sonique driver, Sonique
    // is never found. busThread says who reads the session bus: a worker of the MPRIS driver (the program) or
    // the caller, inside the polls (tests).
    TPlayerSession(platform::IWindowSystem& windows, platform::IClock& clock,
                   platform::IMediaSession* media = nullptr, TSoniqueI* sonique = nullptr,
                   TBusThread busThread = TBusThread::Caller);

    void SetSongChangeListener(ISongChangeListener* listener) { Listener_ = listener; }
    // Told on the bus worker's thread when a player on the session bus said something new; see
    // IPlayerNewsListener.
    void SetPlayerNewsListener(IPlayerNewsListener* listener) { Mpris_.SetNewsListener(listener); }

    // The players on the session bus, for the user's choice: one per key, by their own names.
    std::vector<TMprisI::TPlayerItem> MediaPlayers() const { return Mpris_.Players(); }
    // Pins the players of a key, empty for the automatic choice; the next poll follows it.
    void PinMediaPlayer(const std::string& key) { Mpris_.Pin(key); }
    const std::string& PinnedMediaPlayer() const { return Mpris_.Pinned(); }

    // Queries.
    std::int32_t GetSongPosition();
    std::int32_t GetSongLength();
    std::string GetSongTitle() const;
    const std::string& GetSongFileName() const { return CurrentSong_.fileName; }
    const std::string& GetPlayerName() const { return AmpInfo_.name; }
    std::string GetProgramFolder() const;

    // Driving.
    void PollPlayer();
    void DetectPlayer();
    // Reads the title again in the active code page after that page changed, without a song change (the
    // clock runs on; nobody is told). Player names are read again too.
    void RereadTextsAfterCodePageChange();

    // Transport commands; each does nothing when no player is detected.
    void PlayerPlay();
    void PlayerPause();
    void PlayerStop();
    void PlayerNext();
    void PlayerPrev();
    void PlayerVolumeUp();
    void PlayerVolumeDown();
    void PlayerForward5s();
    void PlayerBack5s();
    void PlayerSeek(std::int32_t ms);
    void PlayerJumpToFile();

    // State, for the status strip and tests.
    ampKindT AmpKind() const { return AmpKind_; }
    const ampInfoT& AmpInfo() const { return AmpInfo_; }
    const currentSongT& CurrentSong() const { return CurrentSong_; }
    bool Paused() const { return Paused_; }
    platform::WindowHandle AmpWindow() const { return AmpWindow_; }

    // A jump of more than this between two positions a player reports re-anchors the clock.
    static constexpr std::int64_t kJumpThreshold = 1500;
    // A player on the bus tells its position precisely: the clock is set again to a position read from it
    // that is more than this away.
    static constexpr std::int64_t kMprisDriftMs = 500;

private:
    bool IsPlayerAlive();
    void SetAmpInfo();
    std::string ReadSongTitle();
    std::int32_t ReadSongPosition();
    std::int32_t ReadSongLength(std::int32_t fallback);
    std::string ReadSongFileName();
    void SongChanged();
    void MprisClock();
    bool IsWinampProtocol() const;
    bool SoniqueRunning();
    void PlayFirst();
    // The song clock at the tick count now, and setting it to a position at now.
    std::int32_t ClockAt(std::uint32_t now) const;
    void Anchor(std::int32_t position, std::uint32_t now);

    platform::IWindowSystem& Windows_;
    platform::IClock& Clock_;
    TMprisI Mpris_;
    TSoniqueI* Sonique_;
    ISongChangeListener* Listener_ = nullptr;

    ampKindT AmpKind_ = akNone;
    platform::WindowHandle AmpWindow_ = platform::kNoWindow;
    ampInfoT AmpInfo_;
    currentSongT CurrentSong_;
    bool Paused_ = false;
    std::int32_t ReportedPosition_ = 0;
    std::int32_t PreviousPosition_ = 0;
    // The clock stood at AnchorPosition_ at the tick count AnchorTick_ and runs on at Rate_ (1 for every
    // player but those on the bus, which tell their speed).
    std::uint32_t AnchorTick_ = 0;
    std::int32_t AnchorPosition_ = 0;
    double Rate_ = 1;
    bool InPoll_ = false;
    // What the clock last took from the followed player on the bus.
    std::uint64_t MprisFollow_ = 0;
    std::uint64_t MprisSeeks_ = 0;
    std::uint64_t MprisReadings_ = 0;
    // Its position has been seen to move (or it told a seek), so it is the song's; a player that tells a
    // position that stands still while it plays is not believed, and the clock runs on the tick count.
    bool PositionTrusted_ = false;
    // The clock was last set from a position worked out from a signal rather than read: the next position
    // read sets it again, however close.
    bool ProvisionalAnchor_ = false;
};

// Cleans a Winamp or foobar2000 caption into a title: empty when there is no song.
std::string CleanWinampCaption(const std::string& caption);
// Cleans a MediaMonkey caption: the text from its first blank on, or the whole caption.
std::string CleanMediaMonkeyCaption(const std::string& caption);

} // namespace player
