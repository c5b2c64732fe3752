#pragma once
// The real outside world for end-to-end tests and the sync benchmark (Linux): a private D-Bus session bus,
// a real mpv with the mpv-mpris plugin publishing itself on it, mpv's JSON IPC socket as the precise
// reference of its position, and small tagged songs made with sox. Everything lives in a fresh temporary
// folder of the rig's own.
//
// The rig owns the processes it starts and the folder: its destructor stops mpv and the bus (and they are
// killed with the process that started them should it die first) and removes the folder.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class TMpvRig {
public:
    TMpvRig();
    ~TMpvRig();
    TMpvRig(const TMpvRig&) = delete;
    TMpvRig& operator=(const TMpvRig&) = delete;

    // What this machine lacks to run the rig (dbus-daemon, mpv, the mpv-mpris plugin, sox); empty when
    // nothing is missing.
    static std::string Missing();
    // What this machine lacks to run a private bus alone (for tests with the fake MPRIS player).
    static std::string BusMissing();

    const std::string& Folder() const { return Folder_; }

    // Starts the private bus; false when it does not come up. Its address is BusAddress().
    bool StartBus();
    const std::string& BusAddress() const { return BusAddress_; }
    // Ends the bus (mpv keeps running without it).
    void StopBus();

    // Writes a sine tone of the given length into the folder as Ogg Vorbis with ARTIST and TITLE comments;
    // returns its full path, empty on failure.
    std::string MakeSong(const std::string& fileName, int seconds, const std::string& artist,
                         const std::string& title, int frequencyHz = 440);

    // Starts mpv on the bus (null audio and video) playing the files in order, and waits until it plays
    // and its MPRIS name is on the bus. False when it does not come up within a few seconds.
    bool StartMpv(const std::vector<std::string>& files, const std::vector<std::string>& extraArguments = {});
    // Asks mpv to quit and waits for it; kills it when it does not go.
    void StopMpv();
    bool MpvRunning();
    // Sends a signal to mpv (SIGSTOP and SIGCONT make a player that hangs).
    void SignalMpv(int signal);

    // One JSON IPC command (the array of the "command" field, as JSON text); the reply line, empty when
    // there is none within a second.
    std::string MpvCommand(const std::string& commandArray);
    // A numeric property ("time-pos", "duration"); false when mpv does not answer with a number.
    bool MpvNumber(const std::string& property, double& value);
    // mpv's own playback position in milliseconds; -1 when unknown.
    double MpvPositionMs();

private:
    bool ConnectIpc();
    bool ReadLine(std::string& line, int timeoutMs);

    std::string Folder_;
    std::string BusAddress_;
    int BusPid_ = -1;
    int MpvPid_ = -1;
    int IpcSocket_ = -1;
    std::string IpcBuffer_;
    std::int64_t NextRequest_ = 1;
};

} // namespace platform
