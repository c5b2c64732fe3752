#pragma once
// Linux transport of the agent records: one local (AF_UNIX) stream socket per side, named after the side's
// window class, in the user's runtime folder ($XDG_RUNTIME_DIR, else a private folder /tmp/cantrel-<uid>).
//
// One exchange is one connection: the sender writes an 8-byte header (data identifier and size, 32-bit
// little-endian each) and the data, the receiver answers with an 8-byte signed little-endian number and
// closes. Data larger than kMaxRecordBytes, connections from other users and exchanges that stall are
// dropped without an answer, which the sender reads as 0.

#include "platform/AgentChannel.h"

#include <string>

namespace platform {

class TLinuxAgentChannel final : public IAgentChannel {
public:
    static constexpr std::size_t kMaxRecordBytes = 4096;

    // folder: where the sockets live; empty means the user's runtime folder.
    explicit TLinuxAgentChannel(std::string folder = {});
    ~TLinuxAgentChannel() override;
    TLinuxAgentChannel(const TLinuxAgentChannel&) = delete;
    TLinuxAgentChannel& operator=(const TLinuxAgentChannel&) = delete;

    bool Listen(const std::string& ownClass, TReceiver receiver) override;
    void StopListening() override;
    std::intptr_t SendRecord(const std::string& toClass, const void* data, std::size_t size) override;
    int EventHandle() const override { return ListenFd_; }
    void ProcessPending() override;
    void WaitForRecords(int timeoutMs) override;
    bool IsListening(const std::string& className) override;
    bool StartProgram(const std::string& path) override;

    // The folder the sockets live in; empty when no safe folder could be found.
    const std::string& Folder() const { return Folder_; }
    // How long a sender waits for an answer and a receiver for the rest of a record, in ms.
    int AnswerTimeoutMs = 10000;
    int ReceiveTimeoutMs = 1000;

private:
    std::string SocketPath(const std::string& className) const;
    void Serve(int connection);

    std::string Folder_;
    std::string ListenPath_;
    int ListenFd_ = -1;
    TReceiver Receiver_;
};

// The user's runtime folder for the sockets, created if needed; empty when none is safe to use.
std::string AgentRuntimeFolder();

} // namespace platform
