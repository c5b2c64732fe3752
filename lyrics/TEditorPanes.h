#pragma once
// The two panes of the timing editor as text lines, made from the lyric document: the timing pane holds
// one clock text per line, the lyric pane the line's text. The editor fills its panes with them, and the
// submission builds its form from them without showing the editor.

#include <string>
#include <vector>

namespace lyrics {

class TTextLyrics;

struct TEditorPanes {
    std::vector<std::string> Timing;
    std::vector<std::string> Lyric;
    bool TimestampMode = false;
    // The document's tag lines. Its times already hold the file's offset, so an offset tag saved with them
    // would shift them a second time: a line that only gives the offset is left out, any other offset group
    // reads 0.
    std::vector<std::string> Tags;
};

// The panes of a document: one line per document line (clock text of its time, its text); for a
// document without lines "0:00.00" and "[" + SongName + "]". Without timestamps the timing pane reads
// "0:00.00" on the first line and "99:00.00" on every other (see RemovedTimestamps).
TEditorPanes FillPanes(const TTextLyrics& document);

// The timing pane of n lines without timestamps: "0:00.00", then "99:00.00" on every other line.
std::vector<std::string> RemovedTimestamps(std::size_t lineCount);

} // namespace lyrics
