#pragma once
// The Lyrics3 reader (version 1 and version 2.00 blocks), which stand right before the 128-byte ID3v1 tag at
// the end of an MP3 file. Reads only inside the file: every position is checked against its size, every size
// field must be all digits. Any failure gives an empty result. The text comes back byte for byte.

#include "toolkit/FileBytes.h"

#include <string>

namespace lyrics {

std::string ReadLyrics3Text(toolkit::IByteSource& source);
std::string ReadLyrics3Text(const std::string& fileName);

} // namespace lyrics
