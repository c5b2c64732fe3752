#pragma once
// The ID3v2 reader (ID3v2.2 to ID3v2.4) behind the song name and the tag lyrics. It is built on TagLib where
// TagLib is available and is a null reader elsewhere (the Windows cross build), which finds no tag.
//
// Text comes back as single-byte text in the active code page. Frames declared as ISO-8859-1 are taken byte
// for byte, as Windows taggers write them: their bytes are text in the system's code page.

#include <string>

namespace lyrics {

struct TId3v2Names {
    std::string Title;  // TIT2, untrimmed
    std::string Artist; // first entry of TPE1, untrimmed; empty when there is none
};

// False in the null reader.
bool Id3v2ReaderAvailable();
// False when the file cannot be read or has no ID3v2 tag (or a damaged one).
bool ReadId3v2Names(const std::string& fileName, TId3v2Names& names);
// The text of the first unsynchronised lyrics frame (USLT; ULT in ID3v2.2), whatever its language and
// description; empty when there is none or the tag cannot be read.
std::string ReadId3v2LyricsText(const std::string& fileName);

} // namespace lyrics
