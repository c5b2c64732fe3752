#pragma once
// In-process fake of the media session for tests: players the test adds, changes and removes, whose state
// the calls read and the commands change the way a player would, a record of every call, players that
// hang (every call to them times out), and the signals players send. Signals are queued only while
// watching; a wait for them never blocks, it hands out what is queued.

#include "platform/MediaSession.h"

#include <map>
#include <string>
#include <vector>

namespace platform {

class TFakeMediaSession final : public IMediaSession {
public:
    struct TPlayer {
        std::string identity;
        TMediaPlayerState state;
        bool hangs = false;        // every call to this player answers TimedOut
        bool sendsSignals = false; // commands that change the player's state send the signals a player sends
    };

    struct TCall {
        // The call: "ListPlayers", "IsPlayerPresent", "Identity", "ReadState", "PlaybackStatus", "Volume",
        // "SetVolume", "Play", "Pause", "PlayPause", "Stop", "Next", "Previous", "Raise", "Seek",
        // "SetPosition".
        std::string player; // empty for calls to the bus
        std::string name;
        double value = 0; // the volume, offset or position of the call
        std::string text; // the track id of SetPosition
    };

    // Adds (or replaces) a player; players are listed in name order. The reference stays valid until the
    // player is removed. Both are told as the bus tells them (Appeared, Vanished).
    TPlayer& AddPlayer(const std::string& name, const std::string& identity);
    void RemovePlayer(const std::string& name);
    TPlayer& Player(const std::string& name) { return Players_.at(name); }

    // The player changes and says so, as a player with signals does.
    void SignalStatus(const std::string& name, const std::string& status);
    void SignalTrack(const std::string& name, const platform::TMediaMetadata& metadata);
    void SignalRate(const std::string& name, double rate);
    void SignalSeek(const std::string& name, std::int64_t positionUs);
    // Queues a signal (while watching).
    void Emit(TMediaSignal signal);

    bool WatchWorks = true; // Watch succeeds (there is a bus)
    bool Watching = false;
    int Wakes = 0;
    std::vector<TCall> Calls; // every call, in order
    // Calls whose name is the given one.
    int CountOf(const std::string& name) const;

    std::vector<std::string> ListPlayers() override;
    bool IsPlayerPresent(const std::string& player) override;
    TMediaCall Identity(const std::string& player, std::string& identity) override;
    TMediaCall ReadState(const std::string& player, TMediaPlayerState& state) override;
    TMediaCall PlaybackStatus(const std::string& player, std::string& status) override;
    TMediaCall Volume(const std::string& player, double& volume) override;
    TMediaCall SetVolume(const std::string& player, double volume) override;
    TMediaCall Command(const std::string& player, TMediaCommand command) override;
    TMediaCall Seek(const std::string& player, std::int64_t offsetUs) override;
    TMediaCall SetPosition(const std::string& player, const std::string& trackId,
                           std::int64_t positionUs) override;
    bool Watch() override;
    void WaitForSignals(int timeoutMs, std::vector<TMediaSignal>& received) override;
    void Wake() override { ++Wakes; }

private:
    // Records the call and finds the player; null with the call's outcome when it cannot answer.
    TPlayer* Reach(const std::string& player, const char* name, TMediaCall& result, double value = 0,
                   const std::string& text = {});

    std::map<std::string, TPlayer> Players_;
    std::vector<TMediaSignal> Pending_;
};

} // namespace platform
