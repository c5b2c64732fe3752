#pragma once
// In-process fake of the agent transport for tests: channels made from one hub reach each other by window
// class, synchronously, like the real transports. Every record sent and every program started is recorded.

#include "platform/AgentChannel.h"

#include <map>
#include <string>
#include <vector>

namespace platform {

class TFakeAgentHub;

class TFakeAgentChannel final : public IAgentChannel {
public:
    explicit TFakeAgentChannel(TFakeAgentHub& hub) : Hub_(hub) {}
    ~TFakeAgentChannel() override;
    TFakeAgentChannel(const TFakeAgentChannel&) = delete;
    TFakeAgentChannel& operator=(const TFakeAgentChannel&) = delete;

    bool Listen(const std::string& ownClass, TReceiver receiver) override;
    void StopListening() override;
    std::intptr_t SendRecord(const std::string& toClass, const void* data, std::size_t size) override;
    int EventHandle() const override { return -1; }
    void ProcessPending() override {}
    void WaitForRecords(int) override {}
    bool IsListening(const std::string& className) override;
    bool StartProgram(const std::string& path) override;

    std::vector<std::string> Started; // every program path given to StartProgram, in order
    bool StartSucceeds = true;

private:
    TFakeAgentHub& Hub_;
    std::string ClassName_;
};

class TFakeAgentHub {
public:
    struct TSent {
        std::string toClass;
        std::vector<std::uint8_t> data;
        std::intptr_t answer;
    };
    std::vector<TSent> Sent; // every record sent through any channel of the hub, in order

private:
    friend class TFakeAgentChannel;
    std::map<std::string, IAgentChannel::TReceiver> Listeners_;
};

} // namespace platform
