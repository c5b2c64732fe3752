// The end of an MP3 file through the Lyrics3 and ID3v1 readers: every read stays inside the bytes.
#include "lyrics/Id3v1Reader.h"
#include "lyrics/Lyrics3Reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    toolkit::TMemoryByteSource source(bytes);
    const std::string lyrics = lyrics::ReadLyrics3Text(source);
    if (lyrics.size() > size + 1)
        std::abort();
    lyrics::TId3v1Names names;
    lyrics::ReadId3v1Names(source, names);
    if (names.Title.size() > 30 || names.Artist.size() > 30)
        std::abort();
    return 0;
}
