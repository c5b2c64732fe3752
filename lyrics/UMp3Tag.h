#pragma once
// Song naming and lyric lookup: turns what the player reports about the current song into the song name
// (artist " - " title, cleaned for use in file names), finds the song's lyrics file in the lyrics folder and
// fills the lyric document, falling back to the lyrics in an MP3 file's ID3v2 or Lyrics3 tag.
//
// One TMp3Tag lives for the whole run, created by the main window. It holds references to the song source
// and (optionally) the view it was given; both must outlive it. The settings it uses are a plain copy the
// owner keeps current, so this unit does not depend on the settings store.

#include <cstdint>
#include <string>
#include <vector>

namespace player {
class TPlayerSession;
}

namespace lyrics {

class TTextLyrics;

// The settings the lookup reads.
struct TLookupSettings {
    std::string LyricsDir;
    bool IncludeSubDirecoriesInSearch = true;
    bool ReadTitleInfoFromTag = false;
    bool ExcludeTextInBrackets = true;
    bool RemoveTrackNumber = true;
    bool SearchID3v2 = true;
    bool SearchLyrics3 = true;
};

// What the lookup needs to know about the playing song.
class ISongInfo {
public:
    virtual ~ISongInfo() = default;
    virtual std::string GetSongTitle() = 0;
    virtual std::string GetSongFileName() = 0;
    virtual std::int32_t GetSongLength() = 0; // ms, never negative, 0 when unknown
};

// The song source of the program: the player session.
class TPlayerSongInfo : public ISongInfo {
public:
    explicit TPlayerSongInfo(player::TPlayerSession& session) : Session_(session) {}
    std::string GetSongTitle() override;
    std::string GetSongFileName() override;
    std::int32_t GetSongLength() override;

private:
    player::TPlayerSession& Session_;
};

// How a lookup shows itself: implemented by the main window.
class ILookupView {
public:
    virtual ~ILookupView() = default;
    // After every entry the lyrics-folder search passes: place the "Loading.." label (the first time it is
    // visible) and let pending window events run.
    virtual void SearchProgress() = 0;
    // The lyrics folder has been searched: hide the "Loading.." label.
    virtual void HideLoadingLabel() = 0;
};

// The song name cleaned for use as a file name: separators and characters that file names cannot hold,
// doubled blanks, a ".mp3" ending, and (by the options) text in round brackets and track numbers removed.
std::string NormaliseSongName(const std::string& text, bool excludeTextInBrackets, bool removeTrackNumber);
// False for a song name that names no song: empty, or nothing but blanks and dashes. That is what a title
// becomes whose every character the active code page lacks ("?" is removed from names), so no file is
// looked up and no search made for it: every such song would share the name.
bool IsUsableSongName(const std::string& name);
// The text before the first " - " of a song name; empty when there is none.
std::string ArtistOf(const std::string& name);
// The text after the first " - " of a song name; the whole name when there is none (it is all title).
std::string TitleOf(const std::string& name);

class TMp3Tag {
public:
    explicit TMp3Tag(ISongInfo& song, ILookupView* view = nullptr) : Song_(song), View_(view) {}

    TLookupSettings Settings;

    std::string NormaliseSongName(const std::string& text) const;
    // The song name for a player title and the song's file: from the file's ID3v2 tag (TIT2, TPE1), else
    // its ID3v1 tag, else the title, when ReadTitleInfoFromTag is on; from the title otherwise.
    std::string SongNameFor(const std::string& fileName, const std::string& title) const;
    // The lyrics file of the current song, as a list of none or one path: the first file the searches for
    // "<name> [<L>].lrc" (or "<name> [*].lrc" when the length is below 2 s), "<name>.lrc" and "<name>.txt"
    // would find, in that order, found in one walk of the lyrics folder.
    std::vector<std::string> FindLyricFiles();
    // Fills the document for the current song: SongName, SongFileName, LyricsFileName, Lines and Found.
    // Returns Found. When the lyrics file found cannot be read, LastError() holds the system's error text
    // and the document holds no lyrics.
    bool LoadForCurrentSong(TTextLyrics& lyrics);
    const std::string& LastError() const { return LastError_; }

    // Tag lyrics, empty when the file has none or cannot be read.
    std::string ReadId3v2Lyrics(const std::string& fileName) const;
    std::string ReadLyrics3Lyrics(const std::string& fileName) const;

private:
    ISongInfo& Song_;
    ILookupView* View_;
    std::string LastError_;
};

} // namespace lyrics
