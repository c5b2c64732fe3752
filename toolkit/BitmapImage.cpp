#include "toolkit/BitmapImage.h"

#include <utility>

namespace toolkit {

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t ReadU16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}
void PutU16(std::string& out, std::uint16_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

} // namespace

void TBitmapImage::SetSize(int width, int height) {
    Width_ = width > 0 && height > 0 ? width : 0;
    Height_ = width > 0 && height > 0 ? height : 0;
    Pixels_.assign(std::size_t(Width_) * std::size_t(Height_) * 4, 0);
}

bool TBitmapImage::ReadBmp(const std::uint8_t* data, std::size_t size, std::size_t& consumed) {
    if (!data || size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M')
        return false;
    const std::uint32_t fileSize = ReadU32(data + 2);
    const std::uint32_t offBits = ReadU32(data + 10);
    if (fileSize > size || fileSize < kFileHeaderSize + kInfoHeaderSize)
        return false;
    const std::uint8_t* info = data + kFileHeaderSize;
    const std::uint32_t infoSize = ReadU32(info);
    if (infoSize < kInfoHeaderSize || infoSize > fileSize - kFileHeaderSize)
        return false;
    const std::int32_t width = std::int32_t(ReadU32(info + 4));
    const std::int32_t rawHeight = std::int32_t(ReadU32(info + 8));
    const std::uint16_t bitCount = ReadU16(info + 14);
    const std::uint32_t compression = ReadU32(info + 16);
    const std::uint32_t colorsUsed = ReadU32(info + 32);
    if (rawHeight == INT32_MIN || width <= 0 || rawHeight == 0)
        return false;
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    if (width > kMaxSide || height > kMaxSide || std::int64_t(width) * height > kMaxPixels)
        return false;
    if (compression != 0 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32))
        return false;

    // Palette, for 8 bits and fewer: BGRX entries right after the info header.
    std::uint32_t paletteEntries = 0;
    if (bitCount <= 8) {
        paletteEntries = colorsUsed ? colorsUsed : (1u << bitCount);
        if (paletteEntries > 256)
            return false;
    }
    const std::uint64_t paletteStart = kFileHeaderSize + infoSize;
    if (paletteStart + std::uint64_t(paletteEntries) * 4 > fileSize)
        return false;

    const std::uint64_t stride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
    if (offBits < paletteStart || std::uint64_t(offBits) + stride * std::uint64_t(height) > fileSize)
        return false;

    TBitmapImage image;
    image.SetSize(width, height);
    const std::uint8_t* palette = data + paletteStart;
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint8_t* src = data + offBits + stride * std::uint64_t(row);
        const int y = topDown ? row : height - 1 - row;
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* dst = image.Pixel(x, y);
            dst[3] = 255;
            if (bitCount >= 24) {
                const std::uint8_t* p = src + std::size_t(x) * (bitCount / 8);
                dst[0] = p[2];
                dst[1] = p[1];
                dst[2] = p[0];
                continue;
            }
            const std::uint32_t bitPos = std::uint32_t(x) * bitCount;
            const std::uint8_t byte = src[bitPos / 8];
            const std::uint32_t shift = 8 - bitCount - bitPos % 8;
            const std::uint32_t index = (byte >> shift) & ((1u << bitCount) - 1);
            if (index < paletteEntries) {
                const std::uint8_t* entry = palette + index * 4;
                dst[0] = entry[2];
                dst[1] = entry[1];
                dst[2] = entry[0];
            }
        }
    }
    *this = std::move(image);
    consumed = fileSize;
    return true;
}

std::string TBitmapImage::WriteBmp() const {
    const std::uint32_t stride = (std::uint32_t(Width_) * 24 + 31) / 32 * 4;
    const std::uint32_t dataSize = stride * std::uint32_t(Height_);
    const std::uint32_t offBits = std::uint32_t(kFileHeaderSize + kInfoHeaderSize);
    std::string out;
    out.reserve(offBits + dataSize);
    out += "BM";
    PutU32(out, offBits + dataSize);
    PutU32(out, 0);
    PutU32(out, offBits);
    PutU32(out, std::uint32_t(kInfoHeaderSize));
    PutU32(out, std::uint32_t(Width_));
    PutU32(out, std::uint32_t(Height_)); // bottom-up rows
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0); // uncompressed
    PutU32(out, dataSize);
    PutU32(out, 2835); // 72 dpi
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = Height_ - 1; y >= 0; --y) {
        for (int x = 0; x < Width_; ++x) {
            const std::uint8_t* p = Pixel(x, y);
            out.push_back(char(p[2]));
            out.push_back(char(p[1]));
            out.push_back(char(p[0]));
        }
        for (std::uint32_t pad = std::uint32_t(Width_) * 3; pad < stride; ++pad)
            out.push_back('\0');
    }
    return out;
}

} // namespace toolkit
