// Bytes from the agent channel through the record parser: only a whole record parses, and a parsed record
// is built and parsed again to the same values.
#include "lyrics/USearchAgent.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(const std::uint8_t* data, std::size_t size) {
    const auto record = lyrics::ParseAgentRecord(data, size);
    if (!record)
        return;
    if (size != lyrics::kAgentRecordSize || record->Command.size() > 255 || record->Text.size() > 255)
        std::abort();
    const lyrics::TAgentRecordBytes built = lyrics::BuildAgentRecord(*record);
    const auto again = lyrics::ParseAgentRecord(built.data(), built.size());
    if (!again || !(*again == *record))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(data, size);
    // The same bytes cut or padded to a record's size, so the fields are reached.
    std::vector<std::uint8_t> record(data, data + std::min(size, lyrics::kAgentRecordSize));
    record.resize(lyrics::kAgentRecordSize, 0);
    Check(record.data(), record.size());
    return 0;
}
