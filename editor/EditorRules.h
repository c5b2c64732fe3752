#pragma once
// The timing editor's rules on plain lines, apart from its widgets: keeping the timing pane aligned with the
// lyric pane, the output text, the file OK writes, shifting a time, and what a key does in the timing pane.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace editor {

// What the panes hold at most: text widgets grow slow with size (a million lines take half a minute to
// fill), and no song's lyrics come near these.
constexpr int kMaxEditorLines = 20000;
constexpr std::size_t kMaxEditorBytes = 1000000;
// Said when lyrics are larger than that.
extern const char* const kTooLongMessage;

// True when lines of these sizes fit the panes.
bool FitsEditor(std::size_t lineCount, std::size_t textBytes);

// What the timing pane needs after a change of the lyric pane: Insert copies of Text at zero-based Index,
// or Delete lines from Index on (at most one of the two is not 0).
struct TPaneAlignment {
    int Index = 0;
    int Insert = 0;
    int Delete = 0;
    std::string Text;
};

// The alignment rule. caretLine is the lyric pane's caret line (1-based), lyricCount and timingCount the
// panes' line counts, timingLine the timing pane's line at a zero-based index. New lines take the time on
// the row C - (L - T) ("99:00.00" when that row is blank or past the end) and go in there; surplus timing
// lines go from just below the caret line.
TPaneAlignment AlignTimingPane(int caretLine, int lyricCount, int timingCount,
                               const std::function<std::string(int)>& timingLine);

// The output text of the editor: the tag lines that are not blank, unchanged; then with timestamps the LRC
// line of every row, without them the lyric lines; each followed by CR LF.
std::string OutputText(const std::vector<std::string>& tagLines, const std::vector<std::string>& timing,
                       const std::vector<std::string>& lyric, bool timestampMode);

// Where OK saves.
struct TSaveTarget {
    std::string LyricsDir; // program path
    char Separator = '/';
    std::string BaseName;       // the song's base name in the lyrics folder
    std::string LyricsFileName; // the file the lyrics came from, or empty
    std::int32_t LengthMs = 0;  // the song length shown when the editor was filled; 0 when unknown
    bool TimestampMode = false;
};
// With timestamps: the lyrics folder's "<base> [<rounded length>].lrc", or "<base>.lrc" when the length is
// unknown (a file the lookup finds whatever length the player reports later). Without: the file the lyrics
// came from, else the lyrics folder's "<base>.txt".
std::string OkFileName(const TSaveTarget& target);
// The path the edit view shows as the place the lyrics go.
std::string SaveToPath(const TSaveTarget& target);
// folder + separator + name, without doubling a separator the folder ends with.
std::string JoinPath(const std::string& folder, char separator, const std::string& name);

// A clock text moved by delta ms, never below 0.
std::string ShiftedTime(const std::string& clockText, std::int32_t delta);

// What a key does in the timing pane. Keys are Qt key codes.
enum class TTimingKey {
    None,
    Stamp,                 // Enter or Space: timestamps on, stamp the caret line, caret down
    StampModePlayFromHere, // Enter or Space with Ctrl or Shift: timestamps on, play from here
    PlayFromHere,          // Shift+Enter
    Back5s,
    Forward5s,
    LineEarlier,      // Ctrl+Left: the caret line's time - 100 ms
    LineLater,        // Ctrl+Right
    FollowingEarlier, // Ctrl+Alt+Left: every time from the caret line on - 100 ms
    FollowingLater,   // Ctrl+Alt+Right
    SeekBack,         // digit: position - digit s
    SeekForward,      // Ctrl+digit: position + digit s
    Play,             // X
    Pause,            // C
    Stop,             // V
};
struct TTimingKeyEffect {
    TTimingKey Action = TTimingKey::None;
    int Digit = 0;
};
TTimingKeyEffect TimingKeyEffect(int key, bool shift, bool ctrl, bool alt);

} // namespace editor
