#include "lyrics/TEditorPanes.h"

#include "lyrics/ClockText.h"
#include "lyrics/ULrcOffset.h"
#include "lyrics/UTextLyrics.h"

#include <cctype>

namespace lyrics {

TEditorPanes FillPanes(const TTextLyrics& document) {
    TEditorPanes panes;
    panes.Timing.reserve(document.Lines.size());
    panes.Lyric.reserve(document.Lines.size());
    for (const auto& line : document.Lines) {
        panes.Timing.push_back(TimeToText(line.Time));
        // Word times stay in the text as their stamps, in the time base of the timing pane, so that a line
        // the user does not retime keeps them through a save.
        panes.Lyric.push_back(lyrics::WordStampedText(line));
    }
    if (document.Lines.empty()) {
        panes.Timing.push_back(kZeroTimeText);
        panes.Lyric.push_back("[" + document.SongName + "]");
    }
    for (const std::string& tag : document.Tags) {
        std::string zeroed = WithOffsetTag(tag, 0);
        std::string bare;
        for (const char c : zeroed)
            if (c != ' ' && c != '\t')
                bare += char(std::tolower(static_cast<unsigned char>(c)));
        if (bare != "[offset:0]")
            panes.Tags.push_back(std::move(zeroed));
    }
    panes.TimestampMode = document.Timestamped;
    if (!panes.TimestampMode)
        panes.Timing = RemovedTimestamps(panes.Timing.size());
    return panes;
}

std::vector<std::string> RemovedTimestamps(std::size_t lineCount) {
    std::vector<std::string> timing(lineCount, kEndTimeText);
    if (!timing.empty())
        timing.front() = kZeroTimeText;
    return timing;
}

} // namespace lyrics
