#pragma once
// In-process fake of the named objects for tests: blocks of bytes and auto-reset events kept by name, which
// the test reaches by the same names to play the other process. Thread-safe, like the real ones.

#include "platform/Platform.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class TFakeNamedObjects final : public INamedObjects {
public:
    // Every later open of that kind fails while set.
    bool FailSharedMemory = false;
    bool FailEvents = false;

    std::unique_ptr<ISharedMemory> OpenSharedMemory(const std::string& name, std::size_t size) override;
    std::unique_ptr<INamedEvent> OpenAutoResetEvent(const std::string& name) override;

    // The other side: creates the block when it does not exist yet, with size bytes, and returns its bytes.
    std::shared_ptr<std::vector<unsigned char>> Block(const std::string& name, std::size_t size);
    // The block of the name; null when nobody has opened it.
    std::shared_ptr<std::vector<unsigned char>> ExistingBlock(const std::string& name);
    // Signals the event of the name, creating it when needed.
    void Signal(const std::string& name);
    // How many times the event of the name has been opened.
    int EventOpens(const std::string& name);

    struct TEventState {
        std::mutex Lock;
        std::condition_variable Changed;
        bool Signalled = false;
        int Opens = 0;
    };

private:
    std::shared_ptr<TEventState> EventNamed(const std::string& name);

    std::mutex Lock_;
    std::map<std::string, std::shared_ptr<std::vector<unsigned char>>> Blocks_;
    std::map<std::string, std::shared_ptr<TEventState>> Events_;
};

} // namespace platform
