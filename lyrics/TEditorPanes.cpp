#include "lyrics/TEditorPanes.h"

#include "lyrics/ClockText.h"
#include "lyrics/UTextLyrics.h"

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
