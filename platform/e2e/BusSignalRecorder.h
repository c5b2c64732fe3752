#pragma once
// Notes when the players on a bus send their MPRIS signals (Seeked, PropertiesChanged), on a connection and
// thread of its own, for the sync benchmark: how long after a player said something the song clock followed.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class TBusSignalRecorder {
public:
    using TTime = std::chrono::steady_clock::time_point;

    // Starts listening on the bus; Listening() says whether it could.
    explicit TBusSignalRecorder(const std::string& busAddress);
    ~TBusSignalRecorder();
    TBusSignalRecorder(const TBusSignalRecorder&) = delete;
    TBusSignalRecorder& operator=(const TBusSignalRecorder&) = delete;

    bool Listening() const { return Listening_; }
    // The time of the first signal named member ("Seeked", "PropertiesChanged") heard at or after since,
    // waiting up to timeoutMs for it; false when none came.
    bool FirstAfter(const std::string& member, TTime since, int timeoutMs, TTime& at);

private:
    void Run(void* connection);

    std::mutex Lock_;
    std::vector<std::pair<std::string, TTime>> Heard_;
    std::atomic<bool> Stop_{false};
    bool Listening_ = false;
    std::thread Thread_;
};

} // namespace platform
