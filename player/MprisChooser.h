#pragma once
// Which of the players on the session bus the session follows. Automatically: the one that plays. A
// followed player that stops or pauses while another plays is left for that one, but only once it has not
// played for kSwitchDelayMs, so that the gap of a track change does not flip the choice. With none followed
// yet: the first that plays, else the first paused, else the first that answers, else the first. A pinned
// player (by its key, see MprisPlayerKey) is followed whenever it is on the bus, whatever it does; while it
// is not, the choice is automatic.

#include <cstdint>
#include <string>
#include <vector>

namespace player {

struct TMprisCandidate {
    std::string name;   // bus name
    std::string status; // "Playing", "Paused", "Stopped", or empty when it does not tell
    bool answered = false;
};

class TMprisChooser {
public:
    static constexpr std::uint32_t kSwitchDelayMs = 2000;

    // The bus name to follow now, given the players in name order, the one followed so far (empty: none)
    // and the pinned key (empty: automatic); empty when there is no player.
    std::string Choose(const std::vector<TMprisCandidate>& players, const std::string& followed,
                       const std::string& pinned, std::uint32_t now);

private:
    bool Waiting_ = false; // the followed player is idle while another plays, since WaitingSince_
    std::uint32_t WaitingSince_ = 0;
};

// The key of a player's bus name: its first part after "org.mpris.MediaPlayer2.", the same for every
// instance of a program ("vlc" of "org.mpris.MediaPlayer2.vlc.instance1234").
std::string MprisPlayerKey(const std::string& busName);

} // namespace player
