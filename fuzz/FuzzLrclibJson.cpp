// Replies of the lyric database (JSON) through the record reader and the choice of the stored lyrics.
#include "agent/core/TLrclib.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const auto records = agent::ParseLrclibReply(body);
    if (!records)
        return 0;
    for (const bool synced : {false, true}) {
        agent::TSongQuery query;
        query.Artist = "Blur";
        query.Title = "Tender";
        query.LengthSeconds = synced ? 460 : 0;
        query.WantSynced = synced;
        agent::ChooseLyrics(*records, query);
        if (!records->empty()) {
            // A query for the first record itself: it counts unless it has no lyrics or is no fit.
            query.Artist = records->front().ArtistName;
            query.Title = records->front().TrackName;
            agent::ChooseLyrics(*records, query);
        }
    }
    return 0;
}
