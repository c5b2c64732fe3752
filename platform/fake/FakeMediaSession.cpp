#include "platform/fake/FakeMediaSession.h"

namespace platform {

TFakeMediaSession::TPlayer& TFakeMediaSession::AddPlayer(const std::string& name,
                                                         const std::string& identity) {
    TPlayer& player = Players_[name];
    player = TPlayer();
    player.identity = identity;
    TMediaSignal signal;
    signal.kind = TMediaSignal::TKind::Appeared;
    signal.player = name;
    Emit(std::move(signal));
    return player;
}

void TFakeMediaSession::RemovePlayer(const std::string& name) {
    if (Players_.erase(name) == 0)
        return;
    TMediaSignal signal;
    signal.kind = TMediaSignal::TKind::Vanished;
    signal.player = name;
    Emit(std::move(signal));
}

void TFakeMediaSession::Emit(TMediaSignal signal) {
    if (Watching)
        Pending_.push_back(std::move(signal));
}

void TFakeMediaSession::SignalStatus(const std::string& name, const std::string& status) {
    Players_.at(name).state.playbackStatus = status;
    TMediaSignal signal;
    signal.player = name;
    signal.hasStatus = true;
    signal.state.playbackStatus = status;
    Emit(std::move(signal));
}

void TFakeMediaSession::SignalTrack(const std::string& name, const TMediaMetadata& metadata) {
    Players_.at(name).state.metadata = metadata;
    TMediaSignal signal;
    signal.player = name;
    signal.hasMetadata = true;
    signal.state.metadata = metadata;
    Emit(std::move(signal));
}

void TFakeMediaSession::SignalRate(const std::string& name, double rate) {
    TPlayer& player = Players_.at(name);
    player.state.hasRate = true;
    player.state.rate = rate;
    TMediaSignal signal;
    signal.player = name;
    signal.state.hasRate = true;
    signal.state.rate = rate;
    Emit(std::move(signal));
}

void TFakeMediaSession::SignalSeek(const std::string& name, std::int64_t positionUs) {
    Players_.at(name).state.positionUs = positionUs;
    TMediaSignal signal;
    signal.kind = TMediaSignal::TKind::Seeked;
    signal.player = name;
    signal.positionUs = positionUs;
    Emit(std::move(signal));
}

bool TFakeMediaSession::Watch() {
    Watching = Watching || WatchWorks;
    return Watching;
}

void TFakeMediaSession::WaitForSignals(int, std::vector<TMediaSignal>& received) {
    for (auto& signal : Pending_)
        received.push_back(std::move(signal));
    Pending_.clear();
}

int TFakeMediaSession::CountOf(const std::string& name) const {
    int n = 0;
    for (const auto& call : Calls)
        n += call.name == name;
    return n;
}

TFakeMediaSession::TPlayer* TFakeMediaSession::Reach(const std::string& player, const char* name,
                                                     TMediaCall& result, double value,
                                                     const std::string& text) {
    Calls.push_back({player, name, value, text});
    const auto found = Players_.find(player);
    if (found == Players_.end()) {
        result = TMediaCall::NoPlayer;
        return nullptr;
    }
    if (found->second.hangs) {
        result = TMediaCall::TimedOut;
        return nullptr;
    }
    result = TMediaCall::Ok;
    return &found->second;
}

std::vector<std::string> TFakeMediaSession::ListPlayers() {
    Calls.push_back({"", "ListPlayers", 0, {}});
    std::vector<std::string> names;
    for (const auto& entry : Players_)
        names.push_back(entry.first);
    return names;
}

bool TFakeMediaSession::IsPlayerPresent(const std::string& player) {
    Calls.push_back({"", "IsPlayerPresent", 0, player});
    return Players_.count(player) != 0;
}

TMediaCall TFakeMediaSession::Identity(const std::string& player, std::string& identity) {
    TMediaCall result;
    if (TPlayer* p = Reach(player, "Identity", result)) {
        if (p->identity.empty())
            return TMediaCall::Failed; // a player without the property
        identity = p->identity;
    }
    return result;
}

TMediaCall TFakeMediaSession::ReadState(const std::string& player, TMediaPlayerState& state) {
    TMediaCall result;
    if (TPlayer* p = Reach(player, "ReadState", result))
        state = p->state;
    return result;
}

TMediaCall TFakeMediaSession::PlaybackStatus(const std::string& player, std::string& status) {
    TMediaCall result;
    if (TPlayer* p = Reach(player, "PlaybackStatus", result))
        status = p->state.playbackStatus;
    return result;
}

TMediaCall TFakeMediaSession::Volume(const std::string& player, double& volume) {
    TMediaCall result;
    if (TPlayer* p = Reach(player, "Volume", result)) {
        if (!p->state.hasVolume)
            return TMediaCall::Failed;
        volume = p->state.volume;
    }
    return result;
}

TMediaCall TFakeMediaSession::SetVolume(const std::string& player, double volume) {
    TMediaCall result;
    if (TPlayer* p = Reach(player, "SetVolume", result, volume)) {
        p->state.hasVolume = true;
        p->state.volume = volume;
    }
    return result;
}

TMediaCall TFakeMediaSession::Command(const std::string& player, TMediaCommand command) {
    static const char* const kNames[] = {"Play", "Pause", "PlayPause", "Stop", "Next", "Previous", "Raise"};
    TMediaCall result;
    TPlayer* p = Reach(player, kNames[int(command)], result);
    if (!p)
        return result;
    std::string& status = p->state.playbackStatus;
    const std::string before = status;
    const std::int64_t positionBefore = p->state.positionUs;
    switch (command) {
    case TMediaCommand::Play:
        status = "Playing";
        break;
    case TMediaCommand::Pause:
        status = "Paused";
        break;
    case TMediaCommand::PlayPause:
        status = status == "Playing" ? "Paused" : "Playing";
        break;
    case TMediaCommand::Stop:
        status = "Stopped";
        p->state.positionUs = 0;
        break;
    default:
        break;
    }
    if (p->sendsSignals && status != before)
        SignalStatus(player, status);
    if (p->sendsSignals && p->state.positionUs != positionBefore)
        SignalSeek(player, p->state.positionUs);
    return result;
}

TMediaCall TFakeMediaSession::Seek(const std::string& player, std::int64_t offsetUs) {
    TMediaCall result;
    if (TPlayer* p = Reach(player, "Seek", result, double(offsetUs))) {
        p->state.positionUs += offsetUs;
        if (p->state.positionUs < 0)
            p->state.positionUs = 0;
        if (p->sendsSignals)
            SignalSeek(player, p->state.positionUs);
    }
    return result;
}

TMediaCall TFakeMediaSession::SetPosition(const std::string& player, const std::string& trackId,
                                          std::int64_t positionUs) {
    TMediaCall result;
    TPlayer* p = Reach(player, "SetPosition", result, double(positionUs), trackId);
    // Like a real player: ignored for another track or a position outside the track.
    if (p && trackId == p->state.metadata.trackId && positionUs >= 0 &&
        (p->state.metadata.lengthUs < 0 || positionUs <= p->state.metadata.lengthUs)) {
        p->state.positionUs = positionUs;
        if (p->sendsSignals)
            SignalSeek(player, positionUs);
    }
    return result;
}

} // namespace platform
