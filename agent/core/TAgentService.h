#pragma once
// The agent's work between the main window and the searches: it listens under the agent's window class,
// answers the main window's records ("Search" and "CancelSearch" with 99 at once, "Close" too), runs one
// search at a time on a worker thread and sends the search's texts back as replies.
//
// - "Search" replaces the running search: that one is cancelled (its request ends at once) and its texts
//   and results are dropped; the new one starts as soon as the worker is free.
// - "CancelSearch" cancels the running search and replies "Done".
// - "Close" cancels and ends the agent; so does the main window's disappearance (no side listening under
//   its class for a few checks in a row), so a crashed main window leaves no agent behind.
//
// Thread use: the channel, the records and the replies belong to the thread that calls Turn (the agent's
// main thread); the worker only queues texts, which Turn sends. A cancelled search never stores anything:
// storing and cancelling exclude each other.

#include "agent/core/IHttpFetcher.h"
#include "agent/core/TSearchRun.h"
#include "lyrics/USearchAgent.h"
#include "platform/AgentChannel.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace agent {

class TAgentService {
public:
    using TConfigLoader = std::function<TSearchConfig()>;
    using TFetcherFactory = std::function<std::shared_ptr<IHttpFetcher>(const TSearchConfig&)>;

    // The loader reads the settings afresh for each search (on the worker thread).
    TAgentService(platform::IAgentChannel& channel, TConfigLoader loader, TFetcherFactory fetchers);
    ~TAgentService();
    TAgentService(const TAgentService&) = delete;
    TAgentService& operator=(const TAgentService&) = delete;

    // Listens under the agent's class and starts the worker. False when another agent already listens.
    bool Listen();

    // One turn of the agent's loop: waits for records (at most waitMs, less while a search runs), handles
    // them, sends the replies that are due and watches the main window. False once the agent should end.
    bool Turn(int waitMs);
    // Turns until the agent should end, then stops the worker. Returns the program's exit code.
    int Run();
    // Cancels the running search and waits for the worker to end.
    void Stop();

    // True while a search runs or waits to run.
    bool Busy();

    // The main window counts as gone after this many checks in a row found it missing, one check every
    // WatchIntervalMs.
    int MainWindowMisses = 3;
    int WatchIntervalMs = 1000;

private:
    class TEvents;
    std::intptr_t Receive(const std::uint8_t* data, std::size_t size);
    void CancelRunningLocked();
    void QueueLocked(std::uint64_t generation, const std::string& text);
    void Work();
    void SendDueReplies();

    platform::IAgentChannel& Channel_;
    TConfigLoader Loader_;
    TFetcherFactory Fetchers_;

    std::mutex Mutex_; // everything below, shared with the worker
    std::condition_variable Wake_;
    std::optional<TSearchRequest> Pending_;
    std::uint64_t Generation_ = 0; // moves on with every Search, CancelSearch and Close
    bool Running_ = false;
    std::shared_ptr<IHttpFetcher> RunningFetcher_;
    std::deque<std::pair<std::uint64_t, std::string>> Replies_;
    bool Stopping_ = false;
    bool Closed_ = false;

    std::thread Worker_;
    int Misses_ = 0;
    std::chrono::steady_clock::time_point NextWatch_{};
};

} // namespace agent
