// The song index file "unknown" through its reader, for names taken from the input, under each code page:
// every lookup ends and reads nothing outside the bytes.
#include "database/UUploadLyric.h"
#include "toolkit/CodePage.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    static const int kPages[] = {1252, 1250, 1251, 1253, 65001};
    toolkit::SetActiveCodePage(kPages[fuzz.ConsumeIntegralInRange<int>(0, 4)]);
    const std::int32_t length = fuzz.ConsumeIntegral<std::int32_t>();
    const int mode = fuzz.ConsumeBool() ? -1 : 0;
    const std::string artist = fuzz.ConsumeRandomLengthString(40);
    const std::string title = fuzz.ConsumeRandomLengthString(40);
    const std::string index = fuzz.ConsumeRemainingBytesAsString();

    database::SectionKey(artist);
    database::NextSectionKey(artist);
    database::SongIndexHolds(index, artist, title, length, mode);
    database::SongIndexHolds(index, "blur", "tender", 240, -1);
    return 0;
}
