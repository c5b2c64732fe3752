#include "player/MprisChooser.h"

#include <algorithm>
#include <cstring>

namespace player {

namespace {

const char* const kPlayerPrefix = "org.mpris.MediaPlayer2.";

bool Plays(const TMprisCandidate& c) {
    return c.answered && c.status == "Playing";
}

std::string Best(const std::vector<const TMprisCandidate*>& set) {
    for (const auto* c : set)
        if (Plays(*c))
            return c->name;
    for (const auto* c : set)
        if (c->answered && c->status == "Paused")
            return c->name;
    for (const auto* c : set)
        if (c->answered)
            return c->name;
    return set.front()->name;
}

} // namespace

std::string MprisPlayerKey(const std::string& busName) {
    const std::size_t prefix = std::strlen(kPlayerPrefix);
    if (busName.compare(0, prefix, kPlayerPrefix) != 0)
        return busName;
    const std::string rest = busName.substr(prefix);
    return rest.substr(0, rest.find('.'));
}

std::string TMprisChooser::Choose(const std::vector<TMprisCandidate>& players, const std::string& followed,
                                  const std::string& pinned, std::uint32_t now) {
    std::vector<const TMprisCandidate*> set;
    if (!pinned.empty())
        for (const auto& c : players)
            if (MprisPlayerKey(c.name) == pinned)
                set.push_back(&c);
    if (set.empty())
        for (const auto& c : players)
            set.push_back(&c);

    const auto current =
        std::find_if(set.begin(), set.end(), [&](const TMprisCandidate* c) { return c->name == followed; });
    const TMprisCandidate* other = nullptr;
    if (current != set.end() && !Plays(**current)) {
        const auto playing = std::find_if(set.begin(), set.end(), [&](const TMprisCandidate* c) {
            return c->name != followed && Plays(*c);
        });
        other = playing == set.end() ? nullptr : *playing;
    }
    if (!other) {
        Waiting_ = false;
        if (set.empty())
            return {};
        return current != set.end() ? followed : Best(set);
    }
    if (!Waiting_) {
        Waiting_ = true;
        WaitingSince_ = now;
    }
    if (now - WaitingSince_ < kSwitchDelayMs)
        return followed;
    Waiting_ = false;
    return other->name;
}

} // namespace player
