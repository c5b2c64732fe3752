#pragma once
// The ID3v1 reader: title and artist of the 128-byte tag ("TAG") at the end of a file, each cut at its first
// NUL and given as text of the active code page (see EightBitToActive: the fields hold 8-bit text of the
// tagger's system).

#include "toolkit/FileBytes.h"

#include <string>

namespace lyrics {

struct TId3v1Names {
    std::string Title;
    std::string Artist;
};

// False when there is no ID3v1 tag or it cannot be read.
bool ReadId3v1Names(toolkit::IByteSource& source, TId3v1Names& names);
bool ReadId3v1Names(const std::string& fileName, TId3v1Names& names);

} // namespace lyrics
