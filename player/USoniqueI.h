#pragma once
// Sonique driver, the part the player session calls: holds the one TSoniqueRemote, connected from creation
// to destruction, and offers title, file name, position, length and the commands.
//
// Created once at start-up, before the session that uses it, and destroyed after it (the main program owns
// both). It keeps the window system and the named objects it was given; both must outlive it.

#include "player/SoniqueRemote.h"

#include <cstdint>
#include <string>

namespace player {

class TSoniqueI {
public:
    TSoniqueI(platform::IWindowSystem& windows, platform::INamedObjects& named);

    // Whether the player's window exists; any failure while looking counts as no.
    bool SoniqueRunning();
    // "Artist - Title", or the title alone when the tag names no artist.
    std::string SoniqueTitle() const;
    std::string SoniqueFileName() const;
    std::int32_t SoniquePosition() const; // ms
    std::int32_t SoniqueLength() const;   // whole seconds

    void SoniqueNext();
    void SoniquePause();
    void SoniquePlay();
    void SoniquePrev();
    void SoniqueStop();
    void SoniqueVolumeUp();
    void SoniqueVolumeDown();
    void SoniqueJump();

    TSoniqueRemote SoniqueRemote1;
};

} // namespace player
