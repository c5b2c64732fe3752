// Font file bytes through the stored-font loader: a damaged file leaves the font as it was, a loaded one
// is written back and reads again to the same metrics.
#include "display/GLStoredBitmapFont.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    display::TGLStoredBitmapFont font("Cantrel1252", 14);
    if (!font.LoadFromBytes(data, size)) {
        if (font.Loaded() || !font.Glyphs.Empty())
            std::abort();
        return 0;
    }
    if (!font.Loaded() || font.CharWidths.size() != 256)
        std::abort();
    for (int code = 0; code < 256; ++code)
        font.CharAdvance(static_cast<unsigned char>(code));

    const std::string saved = font.SaveToBytes();
    display::TGLStoredBitmapFont again("Cantrel1252", 14);
    if (!again.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()))
        std::abort();
    if (again.CharWidth() != font.CharWidth() || again.CharHeight() != font.CharHeight() ||
        again.CharRects.size() != font.CharRects.size() || again.Glyphs.Width() != font.Glyphs.Width() ||
        again.Glyphs.Height() != font.Glyphs.Height())
        std::abort();
    return 0;
}
