#pragma once
// The transport between the program and its search agent: records of bytes sent to the window of a named
// class, each answered synchronously with a number, and the start of the agent program.
//
// On Windows a record is a WM_COPYDATA message to a top-level window of the class. On Linux every side
// listens on a local socket named after its window class in the user's runtime folder; the socket carries
// the same record and the same synchronous answer. While a sender waits for its answer, records that reach
// its own listener are still handled (as Windows does for messages sent to a thread that is itself waiting
// in SendMessage), so two sides can never wait for each other.
//
// A channel is used from one thread only (the thread that owns the program's windows).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Window classes of the two sides.
extern const char* const kMainWindowClass;  // "TFormCantrel"
extern const char* const kAgentWindowClass; // "TFormCantrelAgent"

class IAgentChannel {
public:
    // Called for every record that reaches the listener; the answer goes back to the sender.
    using TReceiver = std::function<std::intptr_t(const std::uint8_t* data, std::size_t size)>;

    virtual ~IAgentChannel() = default;

    // Starts receiving records sent to the class. False when that is not possible (for example another live
    // process already listens under the class); the channel can still send then.
    virtual bool Listen(const std::string& ownClass, TReceiver receiver) = 0;
    virtual void StopListening() = 0;

    // Sends one record to the window of the class and returns its answer; 0 when nobody listens or the
    // record could not be delivered.
    virtual std::intptr_t SendRecord(const std::string& toClass, const void* data, std::size_t size) = 0;

    // A descriptor the caller's event loop watches for readability and then calls ProcessPending; -1 when
    // records are delivered by the system's own message dispatch (Windows).
    virtual int EventHandle() const = 0;
    // Handles the records waiting now without blocking on new ones. On Windows, where the thread's message
    // dispatch delivers them, this dispatches the waiting messages of the channel's window (for a program
    // without a message loop of its own).
    virtual void ProcessPending() = 0;

    // Waits until records may be waiting for ProcessPending or timeoutMs pass, for a program whose loop has
    // nothing else to wait on (the search agent). It may return early.
    virtual void WaitForRecords(int timeoutMs) = 0;

    // True while a side listens under the class (on Windows: a window of the class exists), so a program
    // can tell that its peer is gone, also after a crash that left no word.
    virtual bool IsListening(const std::string& className) = 0;

    // Starts a program with no arguments, shown normally, without waiting for it. False when it cannot start.
    virtual bool StartProgram(const std::string& path) = 0;
};

// The channel of this build's operating system.
std::unique_ptr<IAgentChannel> CreateAgentChannel();

// The agent program's file name ("CantrelAgent", with ".exe" on Windows).
std::string AgentProgramName();

} // namespace platform
