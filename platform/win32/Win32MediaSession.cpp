// Windows back end of the media session: the Windows players are reached through their windows, so this
// session knows no players. Every call answers "no player"; a wait for signals only waits.
#include "platform/MediaSession.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {
namespace {

class TNullMediaSession final : public IMediaSession {
public:
    std::vector<std::string> ListPlayers() override { return {}; }
    bool IsPlayerPresent(const std::string&) override { return false; }
    TMediaCall Identity(const std::string&, std::string&) override { return TMediaCall::NoPlayer; }
    TMediaCall ReadState(const std::string&, TMediaPlayerState&) override { return TMediaCall::NoPlayer; }
    TMediaCall PlaybackStatus(const std::string&, std::string&) override { return TMediaCall::NoPlayer; }
    TMediaCall Volume(const std::string&, double&) override { return TMediaCall::NoPlayer; }
    TMediaCall SetVolume(const std::string&, double) override { return TMediaCall::NoPlayer; }
    TMediaCall Command(const std::string&, TMediaCommand) override { return TMediaCall::NoPlayer; }
    TMediaCall Seek(const std::string&, std::int64_t) override { return TMediaCall::NoPlayer; }
    TMediaCall SetPosition(const std::string&, const std::string&, std::int64_t) override {
        return TMediaCall::NoPlayer;
    }
    bool Watch() override { return false; }
    void WaitForSignals(int timeoutMs, std::vector<TMediaSignal>&) override {
        std::unique_lock<std::mutex> lock(Lock_);
        WakeUp_.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0),
                         [this] { return Woken_; });
        Woken_ = false;
    }
    void Wake() override {
        {
            std::lock_guard<std::mutex> lock(Lock_);
            Woken_ = true;
        }
        WakeUp_.notify_all();
    }

private:
    std::mutex Lock_;
    std::condition_variable WakeUp_;
    bool Woken_ = false;
};

} // namespace

std::unique_ptr<IMediaSession> CreateMediaSession(const std::string&, int) {
    return std::make_unique<TNullMediaSession>();
}

} // namespace platform
