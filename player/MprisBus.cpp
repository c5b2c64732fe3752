#include "player/MprisBus.h"

#include <algorithm>
#include <cmath>

namespace player {

using platform::TMediaCall;
using platform::TMediaSignal;

namespace {

// The track id players give when there is no track.
const char* const kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// The fastest speed taken as told; anything above is taken as this.
constexpr double kMaxRate = 64;

bool Due(std::uint32_t at, std::uint32_t now) {
    return std::int32_t(now - at) >= 0;
}

std::int64_t Microseconds(double value) {
    if (value >= 9.2e18)
        return INT64_MAX;
    if (value <= -9.2e18)
        return INT64_MIN;
    return std::int64_t(std::llround(value));
}

} // namespace

double MprisRate(const platform::TMediaPlayerState& state) {
    if (!state.hasRate || !std::isfinite(state.rate) || state.rate < 0)
        return 1;
    return std::min(state.rate, kMaxRate);
}

std::int64_t MprisPositionUsAt(const TMprisReading& reading, std::uint32_t now) {
    const auto& state = reading.state;
    if (!state.hasPosition)
        return 0;
    if (state.playbackStatus == "Paused" || state.playbackStatus == "Stopped")
        return state.positionUs;
    // The time since the reading is taken as unsigned: a reading is never from the future.
    const double elapsedUs = double(std::uint32_t(now - reading.positionTick)) * 1000.0;
    return Microseconds(double(state.positionUs) + elapsedUs * MprisRate(state));
}

TMprisBus::TMprisBus(platform::IMediaSession& media, platform::IClock& clock)
    : Media_(media), Clock_(clock) {}

void TMprisBus::SetFollowed(const std::string& player) {
    if (player == Followed_)
        return;
    Followed_ = player;
    // The newly followed player's state is wanted at once.
    if (TEntry* entry = Find(player); entry && entry->timeouts == 0)
        entry->nextRead = Clock_.TickCount();
}

TMprisBus::TEntry* TMprisBus::Find(const std::string& name) {
    auto it = std::lower_bound(Entries_.begin(), Entries_.end(), name,
                               [](const TEntry& e, const std::string& n) { return e.reading.name < n; });
    return it != Entries_.end() && it->reading.name == name ? &*it : nullptr;
}

TMprisBus::TEntry& TMprisBus::Add(const std::string& name, std::uint32_t now) {
    auto it = std::lower_bound(Entries_.begin(), Entries_.end(), name,
                               [](const TEntry& e, const std::string& n) { return e.reading.name < n; });
    if (it != Entries_.end() && it->reading.name == name)
        return *it;
    TEntry entry;
    entry.reading.name = name;
    entry.nextRead = now;
    Changed_ = true;
    return *Entries_.insert(it, std::move(entry));
}

void TMprisBus::Remove(const std::string& name) {
    auto it = std::find_if(Entries_.begin(), Entries_.end(),
                           [&](const TEntry& e) { return e.reading.name == name; });
    if (it == Entries_.end())
        return;
    Entries_.erase(it);
    Changed_ = true;
}

std::vector<TMprisReading> TMprisBus::Players() const {
    std::vector<TMprisReading> players;
    players.reserve(Entries_.size());
    for (const auto& entry : Entries_)
        players.push_back(entry.reading);
    return players;
}

std::uint32_t TMprisBus::IntervalOf(const TEntry& entry) const {
    const bool reliable = entry.reading.signalled && !entry.reading.missedSignal && !entry.untold;
    if (entry.reading.name == Followed_)
        return reliable ? kFollowedSlowMs : kFollowedFastMs;
    return reliable ? kOtherSlowMs : kOtherFastMs;
}

std::uint32_t TMprisBus::UntilDue(std::uint32_t now) const {
    std::uint32_t until =
        ListDue_ ? 0 : std::uint32_t(std::max<std::int32_t>(std::int32_t(NextList_ - now), 0));
    for (const auto& entry : Entries_)
        until = std::min(until, std::uint32_t(std::max<std::int32_t>(std::int32_t(entry.nextRead - now), 0)));
    return until;
}

void TMprisBus::List(std::uint32_t now) {
    const std::vector<std::string> names = Media_.ListPlayers();
    ListDue_ = false;
    Listed_ = true;
    NextList_ = now + (Watching_ ? kListWatchedMs : kListMs);
    for (std::size_t i = Entries_.size(); i > 0; --i) {
        if (!std::binary_search(names.begin(), names.end(), Entries_[i - 1].reading.name)) {
            Entries_.erase(Entries_.begin() + std::ptrdiff_t(i - 1));
            Changed_ = true;
        }
    }
    for (const auto& name : names)
        Add(name, now);
}

void TMprisBus::Read(TEntry& entry, std::uint32_t now) {
    const std::string name = entry.reading.name; // the entry may go below
    if (!entry.identityKnown) {
        std::string identity;
        const TMediaCall result = Media_.Identity(name, identity);
        if (result == TMediaCall::Ok)
            entry.reading.identity = identity;
        entry.identityKnown = result == TMediaCall::Ok || result == TMediaCall::Failed;
    }
    platform::TMediaPlayerState state;
    const std::uint32_t asked = Clock_.TickCount();
    const TMediaCall result = Media_.ReadState(name, state);
    const std::uint32_t answered = Clock_.TickCount();
    TMprisReading& r = entry.reading;
    switch (result) {
    case TMediaCall::Ok: {
        // A change that signals should have told, found by reading: this player's signals may not be enough.
        bool trackUntold = false;
        if (r.signalled && r.answered) {
            const auto& old = r.state;
            const bool seekUntold =
                state.hasPosition && old.hasPosition &&
                std::llabs(MprisPositionUsAt(r, answered) - state.positionUs) > kUntoldSeekUs;
            trackUntold = state.metadata.trackId != old.metadata.trackId ||
                          state.metadata.title != old.metadata.title ||
                          state.metadata.url != old.metadata.url;
            const bool changed = state.playbackStatus != old.playbackStatus || trackUntold ||
                                 MprisRate(state) != MprisRate(old) || seekUntold;
            if (changed && !entry.untold) {
                entry.untold = true;
                entry.untoldAt = answered;
            }
        }
        const bool waited = entry.untold && std::uint32_t(answered - entry.untoldAt) >= kUntoldWaitMs;
        // A player whose signals have told every change so far tells a new track too: a read that finds one
        // first has caught the player halfway (mpv names the file before it has read the file's tags). Such a
        // read is set aside and the player asked again shortly, until the signal comes or the wait is over.
        if (trackUntold && !r.missedSignal && !waited) {
            entry.nextRead = answered + kHeldReadMs;
            break;
        }
        if (r.answered && state.playbackStatus != r.state.playbackStatus && !entry.settle) {
            entry.settle = true;
            entry.settleAt = answered + kSettleReadMs;
        }
        if (waited) {
            entry.untold = false;
            r.missedSignal = true;
        }
        r.state = std::move(state);
        r.answered = true;
        // The position held about halfway between question and answer.
        r.positionTick = asked + (answered - asked) / 2;
        if (r.state.hasPosition)
            ++r.readings;
        entry.timeouts = 0;
        entry.nextRead = now + IntervalOf(entry);
        if (entry.settle) {
            if (Due(entry.settleAt, answered))
                entry.settle = false;
            else if (std::int32_t(entry.settleAt - entry.nextRead) < 0)
                entry.nextRead = entry.settleAt;
        }
        Changed_ = true;
        break;
    }
    case TMediaCall::NoPlayer:
        Remove(name);
        break;
    case TMediaCall::TimedOut: {
        if (r.answered)
            Changed_ = true;
        r.answered = false;
        ++entry.timeouts;
        std::uint32_t quiet = kQuietMs;
        if (name != Followed_)
            quiet = std::min<std::uint32_t>(kQuietMs << std::min(entry.timeouts - 1, 4), kMaxQuietMs);
        entry.nextRead = Clock_.TickCount() + quiet;
        break;
    }
    case TMediaCall::Failed:
        if (r.answered)
            Changed_ = true;
        r.answered = false;
        entry.nextRead = now + IntervalOf(entry);
        break;
    }
}

void TMprisBus::Apply(const TMediaSignal& signal) {
    using TKind = TMediaSignal::TKind;
    const std::uint32_t now = Clock_.TickCount();
    switch (signal.kind) {
    case TKind::Appeared: {
        TEntry& entry = Add(signal.player, now);
        // A new owner of a known name is another program: ask it everything again.
        entry.identityKnown = false;
        entry.nextRead = now;
        return;
    }
    case TKind::Vanished:
        Remove(signal.player);
        return;
    case TKind::Lost:
        Watching_ = false;
        ListDue_ = true;
        return;
    case TKind::Overflow:
        ListDue_ = true;
        for (auto& entry : Entries_)
            entry.nextRead = now;
        return;
    case TKind::Changed:
    case TKind::Seeked:
        break;
    }
    TEntry* entry = Find(signal.player);
    if (!entry)
        return; // a player not listed yet: the list and its first read come soon
    TMprisReading& r = entry->reading;
    r.signalled = true;
    entry->untold = false; // what a read found untold was only ahead of this
    Changed_ = true;
    auto& state = r.state;
    if (signal.kind == TKind::Seeked) {
        state.hasPosition = true;
        state.positionUs = signal.positionUs;
        r.positionTick = now;
        ++r.seeks;
        return;
    }
    // The position moves on from here under the new status and speed.
    if (state.hasPosition) {
        state.positionUs = MprisPositionUsAt(r, now);
        r.positionTick = now;
    }
    if (signal.hasStatus)
        state.playbackStatus = signal.state.playbackStatus;
    if (signal.hasMetadata) {
        const auto& m = signal.state.metadata;
        // Another track starts at its beginning (the read that follows tells exactly).
        if (state.hasPosition && (m.trackId != state.metadata.trackId || m.title != state.metadata.title ||
                                  m.url != state.metadata.url))
            state.positionUs = 0;
        state.metadata = m;
    }
    if (signal.state.hasRate) {
        state.hasRate = true;
        state.rate = signal.state.rate;
    }
    if (signal.state.hasVolume) {
        state.hasVolume = true;
        state.volume = signal.state.volume;
    }
    if (signal.state.hasPosition) {
        state.hasPosition = true;
        state.positionUs = signal.state.positionUs;
        ++r.readings;
    }
    if (signal.hasStatus) {
        entry->settle = true;
        entry->settleAt = now + kSettleReadMs;
    }
    // A new status or track has a position the signal does not tell: read it at once. So does anything
    // named without its value.
    if (signal.hasStatus || signal.hasMetadata || signal.invalidated)
        entry->nextRead = entry->timeouts == 0 ? now : entry->nextRead;
}

void TMprisBus::TakeSignals(int waitMs) {
    std::vector<TMediaSignal> received;
    Media_.WaitForSignals(waitMs, received);
    for (const auto& signal : received)
        Apply(signal);
}

void TMprisBus::Execute(const TMprisCommand& command) {
    const std::string& player = command.player;
    TEntry* entry = Find(player);
    // A player that has stopped answering is not asked to do anything until it answers again: each command
    // would only wait for the time-out.
    if (entry && entry->timeouts > 0 && !Due(entry->nextRead, Clock_.TickCount()))
        return;
    TMediaCall result = TMediaCall::Ok;
    switch (command.kind) {
    case TMprisCommand::TKind::Command:
        result = Media_.Command(player, command.command);
        break;
    case TMprisCommand::TKind::ChangeVolume: {
        double volume = entry ? entry->reading.state.volume : 0;
        const bool known = entry && entry->reading.state.hasVolume;
        result = Media_.Volume(player, volume);
        if (result == TMediaCall::TimedOut || (result != TMediaCall::Ok && !known))
            break;
        // A volume above 1 (some players amplify) is not cut down by a step up.
        const double delta = command.volumeDelta;
        const double target =
            delta > 0 ? std::min(volume + delta, std::max(volume, 1.0)) : std::max(volume + delta, 0.0);
        result = Media_.SetVolume(player, target);
        break;
    }
    case TMprisCommand::TKind::SeekBy:
        result = Media_.Seek(player, command.us);
        break;
    case TMprisCommand::TKind::SeekTo: {
        const std::int64_t target = std::max<std::int64_t>(command.us, 0);
        const std::string track = entry ? entry->reading.state.metadata.trackId : std::string();
        if (!track.empty() && track != kNoTrack)
            result = Media_.SetPosition(player, track, target);
        else
            result = Media_.Seek(player, target - command.currentUs);
        break;
    }
    }
    if ((entry = Find(player)) == nullptr)
        return;
    if (result == TMediaCall::TimedOut) {
        ++entry->timeouts;
        entry->nextRead = Clock_.TickCount() + kQuietMs;
        if (entry->reading.answered)
            Changed_ = true;
        entry->reading.answered = false;
    } else if (entry->timeouts == 0) {
        // What the command did shows at the next read, at once for a player that does not signal.
        entry->nextRead = Clock_.TickCount();
    }
}

bool TMprisBus::Step(int waitMs) {
    TakeSignals(0);
    std::uint32_t now = Clock_.TickCount();
    if (!Watching_ && Media_.Watch()) {
        Watching_ = true;
        ListDue_ = true; // what happened while nobody listened is learnt from a new list
    }
    if (ListDue_ || Due(NextList_, now))
        List(now);
    // The followed player first: its state is the one the song clock waits for.
    if (TEntry* followed = Find(Followed_); followed && Due(followed->nextRead, now))
        Read(*followed, now);
    std::vector<std::string> due;
    for (const auto& entry : Entries_)
        if (entry.reading.name != Followed_ && Due(entry.nextRead, now))
            due.push_back(entry.reading.name);
    for (const auto& name : due) {
        if (Stop_ && *Stop_)
            break;
        if (TEntry* entry = Find(name)) {
            Read(*entry, now);
            now = Clock_.TickCount();
        }
    }
    // What this round learnt is handed out before any wait.
    if (waitMs > 0 && !Changed_) {
        const std::uint32_t until = UntilDue(Clock_.TickCount());
        if (until > 0)
            TakeSignals(int(std::min<std::uint32_t>(until, std::uint32_t(waitMs))));
    }
    const bool changed = Changed_;
    Changed_ = false;
    return changed;
}

} // namespace player
