#pragma once
// A fake search agent for tests: it listens under the agent's window class on the channel it is given,
// records every request, and answers "Search" the way a real agent does. In Download mode it stores a
// small timestamped lyric file carrying a "[dl:" tag in the lyrics folder, under the name the lookup looks
// for, and replies "DownloadDone"; other modes reply "Not Found", "Error Connecting" or a "Versevault"
// account message, or never reply. "CancelSearch" is answered with "Done"; "Close" ends it.
//
// Replies are queued while a request is handled and sent by Pump, as a real agent replies after the
// request has returned.

#include "lyrics/USearchAgent.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lyrics {

class TFakeAgent {
public:
    enum class TMode { Download, NotFound, ErrorConnecting, Versevault, Silent };

    TFakeAgent(platform::IAgentChannel& channel, std::string lyricsDir);
    ~TFakeAgent();
    TFakeAgent(const TFakeAgent&) = delete;
    TFakeAgent& operator=(const TFakeAgent&) = delete;

    bool Listen();
    // Sends the queued replies to the main window; returns how many were accepted or sent.
    int Pump();

    // The file name Download mode writes for a request (without folder).
    static std::string LyricFileName(const TAgentRecord& request);
    // The address that goes into the "[dl:" tag for a request's site.
    std::string SourceFor(std::int32_t site) const;

    TMode Mode = TMode::Download;
    std::vector<std::string> Sites; // the site addresses by index
    std::string DatabaseUrl = "http://versevault.example/";
    std::string VersevaultMessage = "Please check your Versevault account information..";
    std::vector<TAgentRecord> Requests; // every well-formed request, in order
    std::vector<std::string> Written;   // every lyric file written, full paths
    bool Closed = false;                // "Close" was received

private:
    std::intptr_t Receive(const std::uint8_t* data, std::size_t size);
    void Answer(const TAgentRecord& request);

    platform::IAgentChannel& Channel_;
    std::string LyricsDir_;
    std::vector<TAgentRecord> Pending_;
};

// Taken to the nearest multiple of ten, 5 rounding up (the lookup's length rule).
std::int32_t FakeAgentRoundLength(std::int32_t seconds);

} // namespace lyrics
