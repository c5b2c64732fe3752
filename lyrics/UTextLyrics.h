#pragma once
// The lyric document: the lyrics of the playing song as an ordered list of lines, each with a time or none,
// and the one parser of lyric text (plain or timestamped, LRC). One document lives for the whole run; the
// main window creates it, owns it and hands it by reference to whoever fills or draws it. The document owns
// its lines. All text in it is single-byte text in the active code page.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lyrics {

// One word time of an enhanced LRC line ("<mm:ss.xx>" before a word): from byte Start of the line's text
// on, the words are sung from Time (ms) on.
struct TLyricWord {
    std::size_t Start = 0;
    std::int32_t Time = 0;
};

struct TLyricTextLine {
    TLyricTextLine() = default;
    TLyricTextLine(std::string text, std::int32_t time, std::vector<TLyricWord> words = {})
        : Text(std::move(text)), Time(time), Words(std::move(words)) {}

    std::string Text;       // trimmed of characters of code 32 and below; may be empty
    std::int32_t Time = -1; // ms from the start of the song; TTextLyrics::kNoTime when the line has no time
    std::vector<TLyricWord> Words; // word times in text order; empty for a line sung as a whole
};

class TTextLyrics {
public:
    static constexpr std::int32_t kNoTime = -1;
    static constexpr std::int32_t kEndTime = 5940000; // 99:00.00
    // Bounds for hostile text: a lyric file never comes near them.
    static constexpr std::size_t kMaxFileBytes =
        8u * 1024 * 1024;                             // read of a lyrics file; the rest is absent
    static constexpr std::size_t kMaxLines = 1000000; // lines one parse produces at most
    static constexpr std::size_t kMaxParsedBytes = 64u * 1024 * 1024; // text one parse stores at most

    std::vector<TLyricTextLine> Lines;
    std::string LyricsFileName; // the file the lyrics came from; empty for tag lyrics and built texts
    std::string SongName;       // artist " - " title
    std::string SongFileName;   // the song's media file as the player reports it
    std::vector<std::string>
        Tags;                   // non-time tag groups of the last parsed text, each with the rest of its line
    std::string DownloadSource; // value of the last "[dl:" tag of the last parsed text
    // The "[offset:N]" of the last parsed text (0 without one), already taken off every time of it: a
    // positive offset shows the lyrics earlier.
    std::int32_t Offset = 0;
    // Ms the display adds to the play position on top of Offset: the live offset control's shift since the
    // text was read. ParseText sets it to 0.
    std::int32_t LiveShift = 0;
    bool Timestamped = false;
    bool Found = false;

    // Adds one line: a timed line goes before the first line with a later time (lines without time never
    // stop that search, equal times stay in order); a line without time goes to the end.
    void AddLine(const std::string& text, std::int32_t time);
    // Gives times to lines without one, from the last line backwards, and sets Timestamped.
    void FillMissingTimes();
    // Replaces Lines, Tags, DownloadSource and Offset with what the text holds, then fills missing times.
    void ParseText(const std::string& text);
    // Reads a lyrics file (see DecodeLyricFile) and parses it. False, with the system's error text in error
    // (if given), when the file cannot be opened or read; the document is then unchanged.
    bool LoadFromFile(const std::string& fileName, std::string* error = nullptr);
    // Index of the line for a play position in ms: the last line before the first one whose time is at or
    // above the position; -1 when the first line already is.
    int LineIndexAt(std::int32_t position) const;
    // Index into the line's Words of the word sung at a play position: the last word whose time lies before
    // it, -1 before the first word (or for a line without word times).
    static int WordIndexAt(const TLyricTextLine& line, std::int32_t position);
};

// A line's text with its word times put back as "<mm:ss.xx>" stamps before their words (".xxx" where the
// time has a thousandth), offset (the document's Offset) added back, so that writing it after the line's
// time stamp and reading it again gives the same line. A line without word times is its text.
std::string WordStampedText(const TLyricTextLine& line, std::int32_t offset = 0);

// The text of a lyrics file's bytes as text of the active code page, its lines joined by CR LF.
// FF FE starts UTF-16 little-endian text, FE FF big-endian, EF BB BF UTF-8; without a mark, bytes that are
// valid UTF-8 with at least one multi-byte sequence are UTF-8, anything else is already in the active
// single-byte code page (or, while the active page is UTF-8, Windows-1252). Lines break at LF, CR, CR LF, VT,
// FF and the Unicode line and paragraph separators; NUL ends the text. truncated says the bytes are the head
// of a longer file: the last, incomplete line is then dropped.
std::string DecodeLyricFile(const std::string& bytes, bool truncated = false);

} // namespace lyrics
