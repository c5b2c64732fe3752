#include "agent/core/TAgentService.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace agent {

namespace {

constexpr int kBusyWaitMs = 20;

} // namespace

// The events of one search, tied to the generation it started in.
class TAgentService::TEvents final : public ISearchEvents {
public:
    TEvents(TAgentService& service, std::uint64_t generation) : Service_(service), Generation_(generation) {}

    void Progress(const std::string& text) override {
        std::lock_guard<std::mutex> lock(Service_.Mutex_);
        Service_.QueueLocked(Generation_, text);
    }
    bool Cancelled() override {
        std::lock_guard<std::mutex> lock(Service_.Mutex_);
        return Generation_ != Service_.Generation_;
    }
    bool Commit(const std::function<void()>& store) override {
        std::lock_guard<std::mutex> lock(Service_.Mutex_);
        if (Generation_ != Service_.Generation_)
            return false;
        store();
        return true;
    }

private:
    TAgentService& Service_;
    const std::uint64_t Generation_;
};

TAgentService::TAgentService(platform::IAgentChannel& channel, TConfigLoader loader, TFetcherFactory fetchers)
    : Channel_(channel), Loader_(std::move(loader)), Fetchers_(std::move(fetchers)) {}

TAgentService::~TAgentService() {
    Stop();
    Channel_.StopListening();
}

bool TAgentService::Listen() {
    if (!Channel_.Listen(platform::kAgentWindowClass,
                         [this](const std::uint8_t* data, std::size_t size) { return Receive(data, size); }))
        return false;
    if (!Worker_.joinable())
        Worker_ = std::thread([this] { Work(); });
    return true;
}

void TAgentService::CancelRunningLocked() {
    ++Generation_;
    Pending_.reset();
    if (RunningFetcher_)
        RunningFetcher_->Cancel();
}

void TAgentService::QueueLocked(std::uint64_t generation, const std::string& text) {
    if (generation == Generation_)
        Replies_.emplace_back(generation, text);
}

std::intptr_t TAgentService::Receive(const std::uint8_t* data, std::size_t size) {
    const auto record = lyrics::ParseAgentRecord(data, size);
    if (!record)
        return 0;
    std::lock_guard<std::mutex> lock(Mutex_);
    if (record->Command == lyrics::kAgentSearch) {
        CancelRunningLocked();
        TSearchRequest request;
        request.Site = record->Site < -1 ? -1 : record->Site;
        request.SongName = record->Text;
        request.LengthSeconds = record->Length > 0 ? record->Length : 0;
        request.Timestamped = record->Flag == 1;
        Pending_ = request;
        Wake_.notify_all();
    } else if (record->Command == lyrics::kAgentCancelSearch) {
        CancelRunningLocked();
        QueueLocked(Generation_, lyrics::kAgentDone);
    } else if (record->Command == lyrics::kAgentClose) {
        CancelRunningLocked();
        Closed_ = true;
    } else {
        return 0;
    }
    return lyrics::kAgentAccepted;
}

void TAgentService::Work() {
    for (;;) {
        TSearchRequest request;
        std::uint64_t generation = 0;
        {
            std::unique_lock<std::mutex> lock(Mutex_);
            Wake_.wait(lock, [this] { return Stopping_ || Pending_.has_value(); });
            if (Stopping_)
                return;
            request = *Pending_;
            Pending_.reset();
            generation = Generation_;
            Running_ = true;
        }
        std::string reply;
        try {
            const TSearchConfig config = Loader_();
            std::shared_ptr<IHttpFetcher> fetcher = Fetchers_(config);
            bool current = false;
            {
                std::lock_guard<std::mutex> lock(Mutex_);
                current = generation == Generation_;
                if (current)
                    RunningFetcher_ = fetcher;
            }
            if (current) {
                TEvents events(*this, generation);
                reply = RunSearch(request, config, *fetcher, events);
            }
        } catch (const std::exception&) {
            reply = "Error: the search failed";
        }
        std::lock_guard<std::mutex> lock(Mutex_);
        RunningFetcher_.reset();
        Running_ = false;
        if (!reply.empty())
            QueueLocked(generation, reply);
    }
}

bool TAgentService::Busy() {
    std::lock_guard<std::mutex> lock(Mutex_);
    return Running_ || Pending_.has_value() || !Replies_.empty();
}

void TAgentService::SendDueReplies() {
    for (;;) {
        std::string text;
        {
            std::lock_guard<std::mutex> lock(Mutex_);
            // Texts of a search that has since been replaced or cancelled are dropped.
            while (!Replies_.empty() && Replies_.front().first != Generation_)
                Replies_.pop_front();
            if (Replies_.empty())
                return;
            text = Replies_.front().second;
            Replies_.pop_front();
        }
        // Records that arrive while the main window takes the reply are handled (Receive takes the lock).
        lyrics::TAgentRecord reply;
        reply.Text = text;
        const lyrics::TAgentRecordBytes bytes = lyrics::BuildAgentRecord(reply);
        Channel_.SendRecord(platform::kMainWindowClass, bytes.data(), bytes.size());
    }
}

bool TAgentService::Turn(int waitMs) {
    Channel_.WaitForRecords(Busy() ? std::min(waitMs, kBusyWaitMs) : waitMs);
    Channel_.ProcessPending();
    SendDueReplies();

    const auto now = std::chrono::steady_clock::now();
    if (now >= NextWatch_) {
        NextWatch_ = now + std::chrono::milliseconds(WatchIntervalMs);
        Misses_ = Channel_.IsListening(platform::kMainWindowClass) ? 0 : Misses_ + 1;
    }
    std::lock_guard<std::mutex> lock(Mutex_);
    return !Closed_ && Misses_ < MainWindowMisses;
}

int TAgentService::Run() {
    while (Turn(WatchIntervalMs)) {
    }
    Stop();
    return 0;
}

void TAgentService::Stop() {
    {
        std::lock_guard<std::mutex> lock(Mutex_);
        Stopping_ = true;
        CancelRunningLocked();
        Wake_.notify_all();
    }
    if (Worker_.joinable())
        Worker_.join();
}

} // namespace agent
