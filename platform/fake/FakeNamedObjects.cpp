#include "platform/fake/FakeNamedObjects.h"

#include <chrono>

namespace platform {
namespace {

class TFakeSharedMemory final : public ISharedMemory {
public:
    TFakeSharedMemory(std::shared_ptr<std::vector<unsigned char>> bytes, std::size_t size)
        : Bytes_(std::move(bytes)), Size_(size) {}
    unsigned char* Data() override { return Bytes_->data(); }
    std::size_t Size() const override { return Size_; }

private:
    std::shared_ptr<std::vector<unsigned char>> Bytes_;
    std::size_t Size_;
};

class TFakeEvent final : public INamedEvent {
public:
    explicit TFakeEvent(std::shared_ptr<TFakeNamedObjects::TEventState> state) : State_(std::move(state)) {}

    bool Wait(std::uint32_t timeoutMs) override {
        std::unique_lock<std::mutex> lock(State_->Lock);
        if (!State_->Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [this] { return State_->Signalled; }))
            return false;
        State_->Signalled = false; // auto-reset
        return true;
    }

    bool Signal() override {
        {
            std::lock_guard<std::mutex> lock(State_->Lock);
            State_->Signalled = true;
        }
        State_->Changed.notify_one();
        return true;
    }

private:
    std::shared_ptr<TFakeNamedObjects::TEventState> State_;
};

} // namespace

std::unique_ptr<ISharedMemory> TFakeNamedObjects::OpenSharedMemory(const std::string& name,
                                                                   std::size_t size) {
    std::lock_guard<std::mutex> lock(Lock_);
    if (FailSharedMemory || size == 0)
        return nullptr;
    auto& bytes = Blocks_[name];
    if (!bytes)
        bytes = std::make_shared<std::vector<unsigned char>>(size);
    if (bytes->size() < size)
        return nullptr; // an existing smaller block cannot be mapped whole
    return std::make_unique<TFakeSharedMemory>(bytes, size);
}

std::unique_ptr<INamedEvent> TFakeNamedObjects::OpenAutoResetEvent(const std::string& name) {
    if (FailEvents)
        return nullptr;
    auto state = EventNamed(name);
    {
        std::lock_guard<std::mutex> lock(state->Lock);
        ++state->Opens;
    }
    return std::make_unique<TFakeEvent>(state);
}

std::shared_ptr<std::vector<unsigned char>> TFakeNamedObjects::Block(const std::string& name,
                                                                     std::size_t size) {
    std::lock_guard<std::mutex> lock(Lock_);
    auto& bytes = Blocks_[name];
    if (!bytes)
        bytes = std::make_shared<std::vector<unsigned char>>(size);
    return bytes;
}

std::shared_ptr<std::vector<unsigned char>> TFakeNamedObjects::ExistingBlock(const std::string& name) {
    std::lock_guard<std::mutex> lock(Lock_);
    const auto it = Blocks_.find(name);
    return it == Blocks_.end() ? nullptr : it->second;
}

void TFakeNamedObjects::Signal(const std::string& name) {
    TFakeEvent(EventNamed(name)).Signal();
}

int TFakeNamedObjects::EventOpens(const std::string& name) {
    auto state = EventNamed(name);
    std::lock_guard<std::mutex> lock(state->Lock);
    return state->Opens;
}

std::shared_ptr<TFakeNamedObjects::TEventState> TFakeNamedObjects::EventNamed(const std::string& name) {
    std::lock_guard<std::mutex> lock(Lock_);
    auto& state = Events_[name];
    if (!state)
        state = std::make_shared<TEventState>();
    return state;
}

} // namespace platform
