// The publishing side of the open lyric database: a challenge's target text through the target reader, and
// texts from the input (any bytes) through the JSON body of a publish request, which must stay valid UTF-8
// without raw control characters.
#include "database/TLrclibPublish.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    database::TPowTarget target{};
    const std::string hex = fuzz.ConsumeRandomLengthString(80);
    if (database::ParsePowTarget(hex, target) && (hex.empty() || hex.size() > 64))
        std::abort();

    database::TLrclibTrack track;
    track.TrackName = fuzz.ConsumeRandomLengthString(64);
    track.ArtistName = fuzz.ConsumeRandomLengthString(64);
    track.AlbumName = fuzz.ConsumeRandomLengthString(64);
    track.DurationSeconds = fuzz.ConsumeIntegral<std::int32_t>();
    track.PlainLyrics = fuzz.ConsumeRandomLengthString(512);
    track.SyncedLyrics = fuzz.ConsumeRemainingBytesAsString();
    for (const char c : database::LrclibPublishBody(track))
        if (static_cast<unsigned char>(c) < 0x20)
            std::abort();
    return 0;
}
