#include "display/GLStoredBitmapFont.h"

#include <array>
#include <fstream>
#include <utility>
#include <vector>

namespace display {

namespace {

// Reads signed 32-bit little-endian values from a byte range, never past its end.
class TReader {
public:
    TReader(const std::uint8_t* data, std::size_t size) : Data_(data), Size_(size) {}
    bool Read(std::int32_t& value) {
        if (Size_ - Pos_ < 4)
            return false;
        const std::uint8_t* p = Data_ + Pos_;
        value = std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                             std::uint32_t(p[3]) << 24);
        Pos_ += 4;
        return true;
    }
    void Skip(std::size_t n) { Pos_ += n; }
    std::size_t Remaining() const { return Size_ - Pos_; }
    const std::uint8_t* Here() const { return Data_ + Pos_; }

private:
    const std::uint8_t* Data_;
    std::size_t Size_;
    std::size_t Pos_ = 0;
};

void PutI32(std::string& out, std::int32_t v) {
    const std::uint32_t u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(char((u >> (8 * i)) & 0xFF));
}

} // namespace

TGLStoredBitmapFont::TGLStoredBitmapFont(std::string fontName, int fontSize, int rangeStart, int rangeEnd)
    : TGLBitmapFont(std::move(fontName), fontSize, rangeStart, rangeEnd) {}

bool TGLStoredBitmapFont::LoadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::vector<std::uint8_t> bytes;
    std::array<char, 65536> chunk;
    while (bytes.size() < kMaxFileSize && in.read(chunk.data(), chunk.size()).gcount() > 0) {
        const std::size_t got = std::min<std::size_t>(std::size_t(in.gcount()), kMaxFileSize - bytes.size());
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(got));
    }
    return LoadFromBytes(bytes.data(), bytes.size());
}

bool TGLStoredBitmapFont::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    // Everything is read first and only then handed to the font, so a damaged file changes nothing.
    toolkit::TBitmapImage sheet;
    std::size_t sheetLength = 0;
    if (!data || !sheet.ReadBmp(data, size, sheetLength))
        return false;
    TReader reader(data, size);
    reader.Skip(sheetLength);

    std::int32_t charWidth = 0, charHeight = 0, count = 0;
    if (!reader.Read(charWidth) || !reader.Read(charHeight) || !reader.Read(count))
        return false;
    // Each rectangle takes 16 bytes: a count the rest of the file cannot hold is a damaged file.
    if (count < 0 || std::size_t(count) > reader.Remaining() / 16)
        return false;
    std::vector<toolkit::TGLCharRect> rects(static_cast<std::size_t>(count));
    for (auto& r : rects)
        if (!reader.Read(r.Left) || !reader.Read(r.Top) || !reader.Read(r.Right) || !reader.Read(r.Bottom))
            return false;
    std::int32_t widthCount = 0;
    if (!reader.Read(widthCount))
        return false;
    std::vector<std::int32_t> widths(256);
    for (auto& w : widths)
        if (!reader.Read(w))
            return false;

    SetLoaded();
    Glyphs = std::move(sheet);
    ResetFont();
    SetCharWidth(charWidth);
    SetCharHeight(charHeight);
    // Storing the first rectangle grows the array to 256 entries when it holds fewer.
    if (!rects.empty() && rects.size() < 256)
        rects.resize(256);
    CharRects = std::move(rects);
    CharWidths = std::move(widths);
    Changed();
    return true;
}

void TGLStoredBitmapFont::UseSystemFont(int size) {
    SetFontSize(size);
    if (!Loaded())
        return;
    SetLoaded(false);
    Changed();
}

std::string TGLStoredBitmapFont::SaveToBytes() const {
    std::string out = Glyphs.WriteBmp();
    PutI32(out, CharWidth());
    PutI32(out, CharHeight());
    PutI32(out, std::int32_t(CharRects.size()));
    for (const auto& r : CharRects) {
        PutI32(out, r.Left);
        PutI32(out, r.Top);
        PutI32(out, r.Right);
        PutI32(out, r.Bottom);
    }
    PutI32(out, 256);
    for (std::size_t code = 0; code < 256; ++code)
        PutI32(out, CharAdvance(static_cast<unsigned char>(code)));
    return out;
}

} // namespace display
