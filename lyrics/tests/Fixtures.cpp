#include "Fixtures.h"

#include "toolkit/FileBytes.h"

#include "toolkit/CodePage.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace fixtures {

TTempFolder::TTempFolder() {
    static int counter = 0;
    std::random_device seed;
    Path = fs::temp_directory_path() /
           ("cantrel-lyrics-" + std::to_string(seed()) + "-" + std::to_string(++counter));
    fs::create_directories(Path);
}

TTempFolder::~TTempFolder() {
    std::error_code ec;
    fs::remove_all(Path, ec);
}

std::string TTempFolder::Write(const std::string& relative, const std::string& bytes) const {
    fs::path p = Path / toolkit::FilePath(relative);
    p.make_preferred();
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return toolkit::PathString(p); // a program path
}

std::string Encode(TEncoding encoding, const std::string& utf8, bool terminated) {
    std::string out;
    if (encoding == Latin1 || encoding == Utf8) {
        out = utf8;
        if (terminated)
            out.push_back('\0');
        return out;
    }
    const std::u16string wide = toolkit::Utf8ToUtf16(utf8);
    const bool big = encoding == Utf16Be;
    if (!big)
        out += "\xFF\xFE";
    for (char16_t c : wide) {
        const char hi = char(c >> 8), lo = char(c & 0xFF);
        out += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    if (terminated)
        out += std::string(2, '\0');
    return out;
}

namespace {

std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
    return out;
}

std::string SyncSafe(std::uint32_t value) {
    return {char((value >> 21) & 0x7F), char((value >> 14) & 0x7F), char((value >> 7) & 0x7F),
            char(value & 0x7F)};
}

} // namespace

std::string Frame(int version, const std::string& id, const std::string& body) {
    const auto size = static_cast<std::uint32_t>(body.size());
    if (version == 2)
        return id + BigEndian(size, 3) + body;
    return id + (version == 4 ? SyncSafe(size) : BigEndian(size, 4)) + std::string(2, '\0') + body;
}

std::string TextFrame(int version, const std::string& id, TEncoding encoding, const std::string& utf8) {
    return Frame(version, id, std::string(1, char(encoding)) + Encode(encoding, utf8));
}

std::string LyricsFrame(int version, TEncoding encoding, const std::string& utf8,
                        const std::string& description) {
    return Frame(version, version == 2 ? "ULT" : "USLT",
                 std::string(1, char(encoding)) + "eng" + Encode(encoding, description, true) +
                     Encode(encoding, utf8));
}

std::string Id3v2Tag(int version, const std::vector<std::string>& frames) {
    std::string body;
    for (const std::string& f : frames)
        body += f;
    body += std::string(64, '\0'); // padding
    return std::string("ID3") + char(version) + '\0' + '\0' + SyncSafe(std::uint32_t(body.size())) + body;
}

std::string Id3v1Tag(const std::string& title, const std::string& artist) {
    auto field = [](const std::string& s, std::size_t n) { return (s + std::string(n, '\0')).substr(0, n); };
    return "TAG" + field(title, 30) + field(artist, 30) + field("Album", 30) + "2001" + field("", 30) +
           '\x0C';
}

std::string Audio(std::size_t bytes) {
    std::string out;
    while (out.size() < bytes) {
        std::string frame = "\xFF\xFB\x90\x64";
        frame.resize(417, '\0');
        out += frame;
    }
    out.resize(bytes);
    return out;
}

std::string Lyrics3v2Block(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string block = "LYRICSBEGIN";
    for (const auto& [id, data] : fields) {
        char size[8];
        std::snprintf(size, sizeof size, "%05zu", data.size());
        block += id + size + data;
    }
    char blockSize[8];
    std::snprintf(blockSize, sizeof blockSize, "%06zu", block.size());
    return block + blockSize + "LYRICS200";
}

std::string Lyrics3v1Block(const std::string& lyrics) {
    return "LYRICSBEGIN" + lyrics + "LYRICSEND";
}

} // namespace fixtures
