#pragma once
// The ID3v1 reader: title and artist of the 128-byte tag ("TAG") at the end of a file, byte for byte (the
// fields hold text in the system's code page), each cut at its first NUL.

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
