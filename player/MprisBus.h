#pragma once
// The bus side of the MPRIS driver: what is known of every player on the session bus, kept up to date by
// the players' signals and by reads on a schedule, and the user's commands carried out. The followed
// player is read often while its signals cannot be relied on and seldom once they can; the others are read
// now and then, for their playback status. A player that does not answer is left alone for a while.
//
// It runs on the MPRIS driver's worker thread (or, in tests, on the caller's) and shares nothing: the driver
// copies Players() out. It keeps references to the media session and the clock it was given.

#include "platform/MediaSession.h"
#include "platform/Platform.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace player {

// What is known of one player.
struct TMprisReading {
    std::string name;     // bus name
    std::string identity; // its Identity; empty until read, or when it tells none
    platform::TMediaPlayerState state;
    bool answered = false;          // the last read got an answer
    std::uint32_t positionTick = 0; // tick count at which state.positionUs held
    std::uint64_t seeks = 0;        // Seeked signals received
    std::uint64_t readings = 0;     // positions read from it
    bool signalled = false;         // it has sent signals
    bool missedSignal = false;      // a read found a change that no signal had told
};

// The playback speed of a state: its Rate when it tells a usable one, else 1; 0 (standing) for a rate of 0.
double MprisRate(const platform::TMediaPlayerState& state);
// The player's position at the tick count now, in microseconds: the last known position moved on at its rate
// while it plays.
std::int64_t MprisPositionUsAt(const TMprisReading& reading, std::uint32_t now);

// A command for the player, carried out on the bus side.
struct TMprisCommand {
    enum class TKind : std::uint8_t { Command, ChangeVolume, SeekBy, SeekTo };
    TKind kind = TKind::Command;
    std::string player;
    platform::TMediaCommand command = platform::TMediaCommand::Play;
    double volumeDelta = 0;     // ChangeVolume: on the 0..1 scale
    std::int64_t us = 0;        // SeekBy: the offset; SeekTo: the target
    std::int64_t currentUs = 0; // SeekTo: where the song clock stood, for players that tell no track id
};

class TMprisBus {
public:
    TMprisBus(platform::IMediaSession& media, platform::IClock& clock);

    // The player whose position is wanted often.
    void SetFollowed(const std::string& player);
    // While *stop holds, a round asks no more players (so that a worker ends soon).
    void SetStopFlag(const std::atomic<bool>* stop) { Stop_ = stop; }
    void Execute(const TMprisCommand& command);
    // One round: takes the signals that came and reads what is due; when that taught nothing new, waits up
    // to waitMs (and no longer than until the next read is due) for more signals and takes them. True when
    // what is known changed.
    bool Step(int waitMs);

    // Every player on the bus as last known, in name order.
    std::vector<TMprisReading> Players() const;
    // True once the players have been listed.
    bool Listed() const { return Listed_; }

    // Read intervals: the followed player while its signals cannot be relied on, and once they can; the
    // others likewise; the list of players without and with the bus's news of them. A player that did not
    // answer in time is left alone for kQuietMs (followed) or twice as long after each further time-out, up
    // to kMaxQuietMs (others).
    static constexpr std::uint32_t kFollowedFastMs = 100;
    static constexpr std::uint32_t kFollowedSlowMs = 1000;
    static constexpr std::uint32_t kOtherFastMs = 2000;
    static constexpr std::uint32_t kOtherSlowMs = 10000;
    static constexpr std::uint32_t kListMs = 1000;
    static constexpr std::uint32_t kListWatchedMs = 5000;
    static constexpr std::uint32_t kQuietMs = 1000;
    static constexpr std::uint32_t kMaxQuietMs = 16000;
    // A read position this far from the one signals and time predicted means a seek nobody told.
    static constexpr std::int64_t kUntoldSeekUs = 2'000'000;
    static constexpr std::uint32_t kUntoldWaitMs = 1000;
    static constexpr std::uint32_t kSettleReadMs = 300;
    static constexpr std::uint32_t kHeldReadMs = 100;

private:
    struct TEntry {
        TMprisReading reading;
        std::uint32_t nextRead = 0;
        int timeouts = 0;
        bool identityKnown = false;
        // A read found a change no signal had told, at untoldAt: a signal that comes soon after shows it only
        // crossed the read; none within kUntoldWaitMs means the player does not tell such changes.
        bool untold = false;
        std::uint32_t untoldAt = 0;
        // After a new playback status players still move their position a little (audio draining or
        // filling): one more read at settleAt.
        bool settle = false;
        std::uint32_t settleAt = 0;
    };

    TEntry* Find(const std::string& name);
    TEntry& Add(const std::string& name, std::uint32_t now);
    void Remove(const std::string& name);
    void List(std::uint32_t now);
    void Read(TEntry& entry, std::uint32_t now);
    void Apply(const platform::TMediaSignal& signal);
    void TakeSignals(int waitMs);
    std::uint32_t IntervalOf(const TEntry& entry) const;
    // Milliseconds until the next read or list is due (0 when one is due now).
    std::uint32_t UntilDue(std::uint32_t now) const;

    platform::IMediaSession& Media_;
    platform::IClock& Clock_;
    std::vector<TEntry> Entries_; // in name order
    std::string Followed_;
    bool Watching_ = false;
    bool Listed_ = false;
    bool ListDue_ = true;
    std::uint32_t NextList_ = 0;
    bool Changed_ = false;
    const std::atomic<bool>* Stop_ = nullptr;
};

} // namespace player
