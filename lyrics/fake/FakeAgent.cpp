#include "lyrics/fake/FakeAgent.h"

#include <fstream>

namespace lyrics {

std::int32_t FakeAgentRoundLength(std::int32_t seconds) {
    return (seconds + 5) / 10 * 10;
}

TFakeAgent::TFakeAgent(platform::IAgentChannel& channel, std::string lyricsDir)
    : Channel_(channel), LyricsDir_(std::move(lyricsDir)) {}

TFakeAgent::~TFakeAgent() {
    Channel_.StopListening();
}

bool TFakeAgent::Listen() {
    return Channel_.Listen(platform::kAgentWindowClass, [this](const std::uint8_t* data, std::size_t size) {
        return Receive(data, size);
    });
}

std::string TFakeAgent::LyricFileName(const TAgentRecord& request) {
    if (request.Flag == 1 && request.Length >= 2)
        return request.Text + " [" + std::to_string(FakeAgentRoundLength(request.Length)) + "].lrc";
    return request.Text + ".lrc";
}

std::string TFakeAgent::SourceFor(std::int32_t site) const {
    if (site >= 0 && std::size_t(site) < Sites.size())
        return Sites[std::size_t(site)];
    if (site >= 0)
        return "http://site" + std::to_string(site) + ".example/";
    return DatabaseUrl;
}

std::intptr_t TFakeAgent::Receive(const std::uint8_t* data, std::size_t size) {
    const auto request = ParseAgentRecord(data, size);
    if (!request)
        return 0;
    Requests.push_back(*request);
    if (request->Command == kAgentSearch) {
        if (Mode != TMode::Silent)
            Pending_.push_back(*request);
    } else if (request->Command == kAgentCancelSearch) {
        Pending_.clear();
        Pending_.push_back(*request);
    } else if (request->Command == kAgentClose) {
        Closed = true;
    } else {
        return 0;
    }
    return kAgentAccepted;
}

void TFakeAgent::Answer(const TAgentRecord& request) {
    TAgentRecord reply;
    if (request.Command == kAgentCancelSearch) {
        reply.Text = kAgentDone;
    } else {
        switch (Mode) {
        case TMode::Download: {
            const std::string path = LyricsDir_ + "/" + LyricFileName(request);
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << "[ti:" << request.Text << "]\r\n"
                << "[dl:" << SourceFor(request.Site) << "]\r\n"
                << "[00:01.00]" << request.Text << "\r\n"
                << "[00:04.00]First downloaded line\r\n"
                << "[00:08.00]Second downloaded line\r\n"
                << "[00:12.00]Third downloaded line\r\n";
            out.close();
            if (out)
                Written.push_back(path);
            reply.Text = out ? kAgentDownloadDone : kAgentNotFound;
            break;
        }
        case TMode::NotFound:
            reply.Text = kAgentNotFound;
            break;
        case TMode::ErrorConnecting:
            reply.Text = kAgentErrorConnecting;
            break;
        case TMode::Versevault:
            reply.Command = VersevaultMessage;
            reply.Text = kAgentVersevault;
            break;
        case TMode::Silent:
            return;
        }
    }
    const TAgentRecordBytes bytes = BuildAgentRecord(reply);
    Channel_.SendRecord(platform::kMainWindowClass, bytes.data(), bytes.size());
}

int TFakeAgent::Pump() {
    int sent = 0;
    // Answering can bring new requests in (the main window may ask again from inside its reply handler).
    while (!Pending_.empty()) {
        const TAgentRecord request = Pending_.front();
        Pending_.erase(Pending_.begin());
        Answer(request);
        ++sent;
    }
    return sent;
}

} // namespace lyrics
