#include "database/TEditorPanes.h"

#include "lyrics/UTextLyrics.h"

namespace database {

namespace {

std::string TwoDigits(std::int32_t value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string TimeToText(std::int32_t ms) {
    if (ms < 0)
        ms = 0;
    return std::to_string(ms / 60000) + ":" + TwoDigits((ms / 1000) % 60) + "." + TwoDigits((ms % 1000) / 10);
}

std::string LrcLine(const std::string& timing, const std::string& lyric) {
    const std::string time = timing.size() > 1 && timing[1] == ':' ? "0" + timing : timing;
    return "[" + time + "]" + lyric;
}

TEditorPanes FillPanes(const lyrics::TTextLyrics& document) {
    TEditorPanes panes;
    for (const auto& line : document.Lines) {
        panes.Timing.push_back(TimeToText(line.Time));
        // Word times stay in the text as their stamps, in the time base of the timing pane, so that a line
        // the user does not retime keeps them through a save.
        panes.Lyric.push_back(lyrics::WordStampedText(line));
    }
    if (document.Lines.empty()) {
        panes.Timing.push_back("0:00.00");
        panes.Lyric.push_back("[" + document.SongName + "]");
    }
    panes.TimestampMode = document.Timestamped;
    if (!panes.TimestampMode) {
        for (std::size_t i = 0; i < panes.Timing.size(); ++i)
            panes.Timing[i] = i == 0 ? "0:00.00" : "99:00.00";
    }
    return panes;
}

} // namespace database
