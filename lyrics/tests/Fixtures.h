#pragma once
// Fixtures of the lyric tests: a fresh temporary folder per test, and MP3 files written byte by byte
// (ID3v2.2/2.3/2.4 tags, an ID3v1 tag, Lyrics3 version 1 and 2.00 blocks).

#include <filesystem>
#include <string>
#include <vector>

namespace fixtures {

class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    // Writes the bytes to a file under the folder (making subfolders) and returns its path.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    std::string Root() const { return Path.string(); }
    std::filesystem::path Path;
};

// ID3v2 text encodings.
enum TEncoding { Latin1 = 0, Utf16Bom = 1, Utf16Be = 2, Utf8 = 3 };
// Text in an ID3v2 encoding (from UTF-8 for the Unicode ones, byte for byte for Latin1), optionally with
// the encoding's terminator.
std::string Encode(TEncoding encoding, const std::string& utf8, bool terminated = false);
// One frame of an ID3v2.<version> tag (2, 3 or 4).
std::string Frame(int version, const std::string& id, const std::string& body);
std::string TextFrame(int version, const std::string& id, TEncoding encoding, const std::string& utf8);
std::string LyricsFrame(int version, TEncoding encoding, const std::string& utf8, const std::string& description = "");
// A whole tag holding the frames (and some padding).
std::string Id3v2Tag(int version, const std::vector<std::string>& frames);
std::string Id3v1Tag(const std::string& title, const std::string& artist);
// A few bytes of MPEG audio frames.
std::string Audio(std::size_t bytes = 1000);
// The block before the ID3v1 tag; fields are (identifier, data) pairs.
std::string Lyrics3v2Block(const std::vector<std::pair<std::string, std::string>>& fields);
std::string Lyrics3v1Block(const std::string& lyrics);

} // namespace fixtures
