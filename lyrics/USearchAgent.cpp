#include "lyrics/USearchAgent.h"

#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace lyrics {

const char* const kAgentSearch = "Search";
const char* const kAgentCancelSearch = "CancelSearch";
const char* const kAgentClose = "Close";
const char* const kAgentDownloadDone = "DownloadDone";
const char* const kAgentDone = "Done";
const char* const kAgentNotFound = "Not Found";
const char* const kAgentErrorConnecting = "Error Connecting";
const char* const kAgentVersevault = "Versevault";

namespace {

constexpr std::size_t kCommandOffset = 0;
constexpr std::size_t kSiteOffset = 256;
constexpr std::size_t kTextOffset = 260;
constexpr std::size_t kLengthOffset = 516;
constexpr std::size_t kFlagOffset = 520;

void PutText(std::uint8_t* field, const std::string& text) {
    // A long text is cut on a whole character, never inside a UTF-8 sequence.
    const std::size_t n = toolkit::CharBoundaryLength(text, kAgentTextField - 1, toolkit::ActiveCodePage());
    field[0] = std::uint8_t(n);
    std::memcpy(field + 1, text.data(), n);
}

bool GetText(const std::uint8_t* field, std::string& text) {
    const std::size_t n = field[0];
    if (1 + n > kAgentTextField)
        return false;
    text.assign(reinterpret_cast<const char*>(field + 1), n);
    return true;
}

void PutInt(std::uint8_t* p, std::int32_t value) {
    const auto v = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

std::int32_t GetInt(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    return std::int32_t(v);
}

} // namespace

TAgentRecordBytes BuildAgentRecord(const TAgentRecord& record) {
    TAgentRecordBytes bytes{};
    PutText(bytes.data() + kCommandOffset, record.Command);
    PutInt(bytes.data() + kSiteOffset, record.Site);
    PutText(bytes.data() + kTextOffset, record.Text);
    PutInt(bytes.data() + kLengthOffset, record.Length);
    PutInt(bytes.data() + kFlagOffset, record.Flag);
    return bytes;
}

std::optional<TAgentRecord> ParseAgentRecord(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size != kAgentRecordSize)
        return std::nullopt;
    TAgentRecord record;
    if (!GetText(data + kCommandOffset, record.Command) || !GetText(data + kTextOffset, record.Text))
        return std::nullopt;
    record.Site = GetInt(data + kSiteOffset);
    record.Length = GetInt(data + kLengthOffset);
    record.Flag = GetInt(data + kFlagOffset);
    return record;
}

TSearchAgent::~TSearchAgent() {
    StopListening();
}

bool TSearchAgent::Listen(IAgentReplyListener& listener) {
    return Channel_.Listen(platform::kMainWindowClass,
                           [&listener](const std::uint8_t* data, std::size_t size) {
                               if (auto reply = ParseAgentRecord(data, size))
                                   listener.AgentReply(*reply);
                               return std::intptr_t(0);
                           });
}

void TSearchAgent::StopListening() {
    Channel_.StopListening();
}

std::string TSearchAgent::AgentPath(const std::string& programFolder, char separator) {
    return programFolder + "Cantrel" + separator + platform::AgentProgramName();
}

bool TSearchAgent::Start(const std::string& programFolder, char separator) {
    const std::string path = AgentPath(programFolder, separator);
    std::error_code error;
    if (!std::filesystem::is_regular_file(toolkit::FilePath(path), error))
        return false;
    return Channel_.StartProgram(path);
}

bool TSearchAgent::Search(std::int32_t site, const std::string& songName, std::int32_t lengthSeconds,
                          bool timestamped) {
    return Send({kAgentSearch, site, songName, lengthSeconds, timestamped ? 1 : 0});
}

bool TSearchAgent::CancelSearch() {
    return Send({kAgentCancelSearch, 0, "", 0, 0});
}

bool TSearchAgent::Close() {
    return Send({kAgentClose, 0, "", 0, 0});
}

bool TSearchAgent::Send(const TAgentRecord& request) {
    const TAgentRecordBytes bytes = BuildAgentRecord(request);
    return Channel_.SendRecord(platform::kAgentWindowClass, bytes.data(), bytes.size()) == kAgentAccepted;
}

} // namespace lyrics
