#pragma once
// The link to the search agent, the separate program that searches the lyric database and the lyric web
// sites. Requests and replies are one fixed 524-byte record:
//
//   offset 0    256 bytes  command: a length byte, then up to 255 bytes of text
//   offset 256    4 bytes  site (signed, little-endian)
//   offset 260  256 bytes  text: a length byte, then up to 255 bytes of text
//   offset 516    4 bytes  length in seconds (signed)
//   offset 520    4 bytes  flag (signed, 0 or 1)
//
// TSearchAgent sends the requests through the agent channel it is given (the caller owns the channel) and
// hands every well-formed reply to its listener. Records of another size are dropped.

#include "platform/AgentChannel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lyrics {

constexpr std::size_t kAgentRecordSize = 524;
constexpr std::size_t kAgentTextField = 256; // length byte + 255 bytes
// The answer of a side that accepts a request; replies are answered with 0.
constexpr std::intptr_t kAgentAccepted = 99;

// Requests.
extern const char* const kAgentSearch;       // "Search"
extern const char* const kAgentCancelSearch; // "CancelSearch"
extern const char* const kAgentClose;        // "Close"
// Replies (the text field).
extern const char* const kAgentDownloadDone;    // "DownloadDone"
extern const char* const kAgentDone;            // "Done"
extern const char* const kAgentNotFound;        // "Not Found"
extern const char* const kAgentErrorConnecting; // "Error Connecting"
extern const char* const kAgentVersevault;      // "Versevault"

struct TAgentRecord {
    std::string Command;
    std::int32_t Site = 0;
    std::string Text;
    std::int32_t Length = 0;
    std::int32_t Flag = 0;

    bool operator==(const TAgentRecord& other) const {
        return Command == other.Command && Site == other.Site && Text == other.Text &&
               Length == other.Length && Flag == other.Flag;
    }
};

using TAgentRecordBytes = std::array<std::uint8_t, kAgentRecordSize>;

// The record's bytes; texts longer than 255 bytes are cut to at most 255 on a character boundary of the
// active code page, unused bytes are 0.
TAgentRecordBytes BuildAgentRecord(const TAgentRecord& record);
// The record held by the bytes, or nothing when they are not exactly one record or a text's length byte
// runs past its field.
std::optional<TAgentRecord> ParseAgentRecord(const std::uint8_t* data, std::size_t size);

class IAgentReplyListener {
public:
    virtual ~IAgentReplyListener() = default;
    virtual void AgentReply(const TAgentRecord& reply) = 0;
};

class TSearchAgent {
public:
    explicit TSearchAgent(platform::IAgentChannel& channel) : Channel_(channel) {}
    ~TSearchAgent();
    TSearchAgent(const TSearchAgent&) = delete;
    TSearchAgent& operator=(const TSearchAgent&) = delete;

    // Receives the agent's replies under the main window's class; they go to the listener (which must
    // outlive the listening). False when the replies cannot be received.
    bool Listen(IAgentReplyListener& listener);
    void StopListening();

    // The agent program's path: program folder + "Cantrel" + separator + program name.
    static std::string AgentPath(const std::string& programFolder, char separator);
    // Starts the agent if its file exists; false when it is missing or does not start.
    bool Start(const std::string& programFolder, char separator);

    // Requests; true when the agent accepted them (answered 99). No agent running means not accepted.
    bool Search(std::int32_t site, const std::string& songName, std::int32_t lengthSeconds, bool timestamped);
    bool CancelSearch();
    bool Close();
    bool Send(const TAgentRecord& request);

private:
    platform::IAgentChannel& Channel_;
};

} // namespace lyrics
