// Bitmap file bytes through the bitmap reader: a read picture stays inside its bounds and its own length,
// and the 24-bit file written of it reads back to the same pixels (alpha aside).
#include "toolkit/BitmapImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    toolkit::TBitmapImage image;
    std::size_t consumed = 0;
    if (!image.ReadBmp(data, size, consumed)) {
        if (!image.Empty() || !image.Pixels().empty())
            std::abort();
        return 0;
    }
    if (consumed > size || image.Width() > toolkit::TBitmapImage::kMaxSide ||
        image.Height() > toolkit::TBitmapImage::kMaxSide ||
        std::int64_t(image.Width()) * image.Height() > toolkit::TBitmapImage::kMaxPixels ||
        image.Pixels().size() != std::size_t(image.Width()) * std::size_t(image.Height()) * 4)
        std::abort();

    const std::string written = image.WriteBmp();
    toolkit::TBitmapImage again;
    std::size_t againConsumed = 0;
    if (!again.ReadBmp(reinterpret_cast<const std::uint8_t*>(written.data()), written.size(),
                       againConsumed) ||
        againConsumed != written.size() || again.Width() != image.Width() || again.Height() != image.Height())
        std::abort();
    for (std::size_t i = 0; i < image.Pixels().size(); ++i)
        if (i % 4 != 3 && image.Pixels()[i] != again.Pixels()[i])
            std::abort();
    return 0;
}
