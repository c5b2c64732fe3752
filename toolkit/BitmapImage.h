#pragma once
// A picture held as 8-bit RGBA rows from the top, with a reader and writer of the Windows bitmap file
// format (the glyph sheets of the stored bitmap fonts). The reader takes bytes, never a path, and reads
// nothing outside them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace toolkit {

class TBitmapImage {
public:
    // Largest picture the reader accepts, in pixels per side and in total.
    static constexpr int kMaxSide = 16384;
    static constexpr std::int64_t kMaxPixels = std::int64_t(4096) * 4096;

    int Width() const { return Width_; }
    int Height() const { return Height_; }
    bool Empty() const { return Width_ == 0 || Height_ == 0; }
    // Sets the size; every pixel becomes transparent black. Sizes below 0 count as 0.
    void SetSize(int width, int height);
    void Clear() { SetSize(0, 0); }

    const std::vector<std::uint8_t>& Pixels() const { return Pixels_; }
    // The 4 bytes (R, G, B, A) of a pixel; the coordinates must lie inside the picture.
    std::uint8_t* Pixel(int x, int y) { return &Pixels_[(std::size_t(y) * std::size_t(Width_) + std::size_t(x)) * 4]; }
    const std::uint8_t* Pixel(int x, int y) const {
        return &Pixels_[(std::size_t(y) * std::size_t(Width_) + std::size_t(x)) * 4];
    }

    // Reads a complete bitmap file from the front of the bytes: file header, info header, palette, rows.
    // Its length is the file size its own file header gives; on success `consumed` holds that length.
    // Uncompressed 1, 4, 8, 24 and 32 bits per pixel are read. On failure the picture is unchanged.
    bool ReadBmp(const std::uint8_t* data, std::size_t size, std::size_t& consumed);
    // A 24-bit uncompressed bitmap file of the picture (alpha is dropped).
    std::string WriteBmp() const;

private:
    int Width_ = 0;
    int Height_ = 0;
    std::vector<std::uint8_t> Pixels_;
};

} // namespace toolkit
