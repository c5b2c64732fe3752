// Lyric file bytes through the decoder and the parser, and the document's invariants after it: line times,
// trimmed texts, word times of enhanced LRC lines and offsets.
#include "lyrics/UTextLyrics.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    lyrics::TTextLyrics doc;
    doc.ParseText(bytes);
    doc.ParseText(lyrics::DecodeLyricFile(bytes, size % 2 == 1));

    // Times never go down from the second line on (the lines without time at the end take the end time, which
    // may lie below a later time of the text), every text is trimmed, and the current line is a valid index.
    std::int32_t last = INT32_MIN;
    for (std::size_t i = 0; i < doc.Lines.size(); ++i) {
        const lyrics::TLyricTextLine& line = doc.Lines[i];
        if (!line.Text.empty() && (static_cast<unsigned char>(line.Text.front()) <= 32 ||
                                   static_cast<unsigned char>(line.Text.back()) <= 32))
            std::abort();
        if (i > 0 && line.Time < last && last <= lyrics::TTextLyrics::kEndTime)
            std::abort();
        if (i > 0 || line.Time != lyrics::TTextLyrics::kNoTime)
            last = line.Time;
        // Word times point into the text in order, and belong to timed lines only.
        std::size_t start = 0;
        for (const lyrics::TLyricWord& word : line.Words) {
            if (word.Start < start || word.Start > line.Text.size() || word.Time < 0 ||
                line.Time == lyrics::TTextLyrics::kNoTime)
                std::abort();
            start = word.Start;
        }
        for (std::int32_t position : {0, 1, 12400, INT32_MAX}) {
            const int word = lyrics::TTextLyrics::WordIndexAt(line, position);
            if (word < -1 || word >= static_cast<int>(line.Words.size()))
                std::abort();
        }
    }
    for (std::int32_t position : {0, 1, 83450, 5940000, INT32_MAX}) {
        const int index = doc.LineIndexAt(position);
        if (index < -1 || index >= static_cast<int>(doc.Lines.size()))
            std::abort();
    }
    return 0;
}
