#pragma once
// A fake MPRIS player for end-to-end tests: the program fake_mpris_player, started on a test's private
// session bus and driven through its standard input. It is a real D-Bus service, so the real media session
// (libdbus, signals and all) is what talks to it, and it can do what mpv cannot be made to: any playback
// status, no position, a given rate, silence (it never answers), no signals.
//
// The object owns the process: its destructor ends it (and it is killed with the process that started it
// should that die first).

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class TFakeMprisPlayer {
public:
    struct TOptions {
        std::string name = "fake"; // the bus name is "org.mpris.MediaPlayer2." + name
        std::string identity = "Fake Player";
        bool position = true;     // tells its position
        bool sendsSignals = true; // signals its changes
    };

    // Starts the player on the bus and waits until its name is there; Running() says whether it came up.
    TFakeMprisPlayer(const std::string& busAddress, TOptions options);
    ~TFakeMprisPlayer();
    TFakeMprisPlayer(const TFakeMprisPlayer&) = delete;
    TFakeMprisPlayer& operator=(const TFakeMprisPlayer&) = delete;

    bool Running();
    std::string BusName() const { return "org.mpris.MediaPlayer2." + Options_.name; }

    // Each returns once the player has done it; false when it did not answer within two seconds.
    bool Status(const std::string& status);
    bool Track(const std::string& trackId, const std::string& title, const std::vector<std::string>& artists,
               const std::string& url, std::int64_t lengthUs);
    bool Seek(std::int64_t positionUs);
    bool Rate(double rate);
    bool Silent(bool silent);
    bool Signals(bool on);
    // Its position now, in microseconds; -1 when it does not answer.
    std::int64_t PositionUs();
    // The members of the calls it received so far, comma-separated.
    std::string Calls();
    // Sends the process a signal (SIGSTOP and SIGCONT make a player that hangs).
    void SignalProcess(int signal);
    // Ends it.
    void Quit();

    // Where the program is: beside the test programs of this build, or CANTREL_FAKE_MPRIS_PLAYER.
    static std::string Program();

private:
    bool Ask(const std::string& line, std::string& answer);
    bool ReadLine(std::string& line, int timeoutMs);

    TOptions Options_;
    int Pid_ = -1;
    int In_ = -1;  // its standard input
    int Out_ = -1; // its standard output
    std::string Buffer_;
};

} // namespace platform
