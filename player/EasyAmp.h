#pragma once
// The player session: the one place that knows which media player runs. It detects the player, reads and
// cleans its title, notices song changes, keeps the song clock between polls and routes transport commands
// to the player's driver.
//
// One instance lives for the whole run; it is created by main() and passed to whoever needs it. It holds
// references to the window system, the clock, the media session and the Sonique driver it was given; all
// must outlive it.

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "player/MprisI.h"
#include "player/USoniqueI.h"

#include <cstdint>
#include <string>

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
    // is never found.
    TPlayerSession(platform::IWindowSystem& windows, platform::IClock& clock,
                   platform::IMediaSession* media = nullptr, TSoniqueI* sonique = nullptr);

    void SetSongChangeListener(ISongChangeListener* listener) { Listener_ = listener; }

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

private:
    bool IsPlayerAlive();
    void SetAmpInfo();
    std::string ReadSongTitle();
    std::int32_t ReadSongPosition();
    std::int32_t ReadSongLength(std::int32_t fallback);
    std::string ReadSongFileName();
    void SongChanged();
    bool IsWinampProtocol() const;
    bool SoniqueRunning();
    void PlayFirst();

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
    std::uint32_t ClockBase_ = 0; // tick count at which the song clock stood at 0
};

// Cleans a Winamp or foobar2000 caption into a title: empty when there is no song.
std::string CleanWinampCaption(const std::string& caption);
// Cleans a MediaMonkey caption: the text from its first blank on, or the whole caption.
std::string CleanMediaMonkeyCaption(const std::string& caption);

} // namespace player
