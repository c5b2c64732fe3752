// The null ID3v2 reader of builds without TagLib: every file reads as one without an ID3v2 tag.
#include "lyrics/Id3v2Reader.h"

namespace lyrics {

bool Id3v2ReaderAvailable() { return false; }

bool ReadId3v2Names(const std::string&, TId3v2Names& names) {
    names = {};
    return false;
}

std::string ReadId3v2LyricsText(const std::string&) { return {}; }

} // namespace lyrics
