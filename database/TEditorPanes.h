#pragma once
// The two panes of the timing editor as text lines, made from the lyric document: the timing pane holds
// one clock text per line, the lyric pane the line's text. The editor fills its panes with them, and the
// submission builds its form from them without showing the editor.

#include <cstdint>
#include <string>
#include <vector>

namespace lyrics {
class TTextLyrics;
}

namespace database {

// The clock text m:ss.cc of a time in milliseconds, truncated to hundredths; minutes unpadded (one, two
// or more digits). Negative times count as 0.
std::string TimeToText(std::int32_t ms);

// The LRC line of a timing pane line and a lyric line: "[" + clock text + "]" + lyric, the clock text
// given a leading "0" when its ":" is the second character.
std::string LrcLine(const std::string& timing, const std::string& lyric);

struct TEditorPanes {
    std::vector<std::string> Timing;
    std::vector<std::string> Lyric;
    bool TimestampMode = false;
};

// The panes of a document: one line per document line (clock text of its time, its text); for a
// document without lines "0:00.00" and "[" + SongName + "]". Without timestamps the timing pane reads
// "0:00.00" on the first line and "99:00.00" on every other.
TEditorPanes FillPanes(const lyrics::TTextLyrics& document);

} // namespace database
