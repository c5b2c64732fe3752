#include "lyrics/Lyrics3Reader.h"

#include <cstdint>

namespace lyrics {
namespace {

// Reads at positions counted from the end of the source; fails on anything outside it.
class TTailReader {
public:
    explicit TTailReader(toolkit::IByteSource& source) : Source_(source), Size_(source.Size()) {}
    std::uint64_t Size() const { return Size_; }

    bool ReadAt(std::uint64_t position, std::size_t count, std::string& out) {
        if (position > Size_ || count > Size_ - position || !Source_.ReadAt(position, count, out))
            return false;
        Position_ = position + count;
        return true;
    }
    // Reads on from the current position.
    bool Read(std::size_t count, std::string& out) { return ReadAt(Position_, count, out); }
    // A size field of exactly digits decimal digits.
    bool ReadSize(std::size_t digits, std::uint64_t& value) {
        std::string text;
        if (!Read(digits, text))
            return false;
        value = 0;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + std::uint64_t(c - '0');
        }
        return true;
    }
    bool Seek(std::uint64_t position) {
        if (position > Size_)
            return false;
        Position_ = position;
        return true;
    }
    bool Skip(std::uint64_t count) {
        if (count > Size_ - Position_)
            return false;
        Position_ += count;
        return true;
    }
    std::uint64_t Position() const { return Position_; }

private:
    toolkit::IByteSource& Source_;
    std::uint64_t Size_;
    std::uint64_t Position_ = 0;
};

constexpr std::uint64_t kId3v1Size = 128;

std::string ReadVersion200(TTailReader& in) {
    const std::uint64_t sizeAt = in.Size() - kId3v1Size - 9 - 6;
    std::uint64_t blockSize = 0;
    std::string text;
    if (!in.Seek(sizeAt) || !in.ReadSize(6, blockSize) || blockSize > sizeAt)
        return {};
    if (!in.ReadAt(sizeAt - blockSize, 11, text) || text != "LYRICSBEGIN")
        return {};
    std::uint64_t fieldSize = 0;
    if (!in.Read(3, text) || text != "IND" || !in.ReadSize(5, fieldSize) || fieldSize == 0 ||
        !in.Read(static_cast<std::size_t>(fieldSize), text) || text[0] != '1')
        return {};
    if (!in.Read(3, text))
        return {};
    while (text != "LYR" && in.Position() < in.Size()) {
        if (!in.ReadSize(5, fieldSize) || !in.Skip(fieldSize) || !in.Read(3, text))
            return {};
    }
    if (text != "LYR" || !in.ReadSize(5, fieldSize) || !in.Read(static_cast<std::size_t>(fieldSize), text))
        return {};
    text += '\n';
    return text.substr(0, text.find('\0'));
}

std::string ReadVersion1(TTailReader& in) {
    constexpr std::uint64_t kWindow = 5100;
    constexpr std::size_t kBegin = 11; // "LYRICSBEGIN"
    std::string window;
    if (in.Size() < kId3v1Size + 9 + kWindow || !in.ReadAt(in.Size() - kId3v1Size - 9 - kWindow, kWindow, window))
        return {};
    const std::size_t begin = window.find("LYRICSBEGIN");
    // Without a "LYRICSBEGIN" (lyrics longer than the window) the window's text from its 12th character on.
    const std::size_t start = (begin == std::string::npos ? 0 : begin) + kBegin;
    return window.substr(start, kWindow - kBegin);
}

} // namespace

std::string ReadLyrics3Text(toolkit::IByteSource& source) {
    TTailReader in(source);
    std::string marker;
    if (in.Size() < kId3v1Size + 9 || !in.ReadAt(in.Size() - kId3v1Size - 9, 9, marker))
        return {};
    if (marker == "LYRICS200")
        return in.Size() >= kId3v1Size + 9 + 6 ? ReadVersion200(in) : std::string();
    if (marker == "LYRICSEND")
        return ReadVersion1(in);
    return {};
}

std::string ReadLyrics3Text(const std::string& fileName) {
    toolkit::TFileByteSource source(fileName);
    if (!source.IsOpen())
        return {};
    return ReadLyrics3Text(source);
}

} // namespace lyrics
