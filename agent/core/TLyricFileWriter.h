#pragma once
// Storing found lyrics where the program's lookup finds them: in the lyrics folder, under the song name
// followed by " [L].lrc" (timestamped lyrics of a known length, L the length taken to the nearest 10 s),
// ".lrc" (other timestamped lyrics) or ".txt" (plain lyrics), in the active character set, with a "[dl:"
// tag naming the source, written whole or not at all.
//
// A file the user made is never replaced: only a file carrying a "[dl:" tag counts as an earlier download.
// An earlier download at the same name, or one under a name the lookup tries first ("<name> [*].lrc", and
// "<name>.lrc" before ".txt"), is kept beside it as "<file>.old" (or ".old2" ... ".old9") so that the new
// lyrics are what the lookup finds. A file of the user's at the same name, or at a name the lookup tries
// first, stops the storing with an error. Only the folder's own files are looked at: the agent writes
// nowhere else.
//
// The song name must be one file name: no separators, no characters file names cannot hold, no "." or
// "..", no device name of Windows (CON, NUL, COM1 ...), at most 255 bytes with its ending.

#include <cstdint>
#include <string>

namespace agent {

// Reply texts of a failed storing (shown by the main window).
extern const char* const kErrorNoLyricsFolder; // "Error: no lyrics folder"
extern const char* const kErrorReadOnlyFolder; // "Error: lyrics folder is read-only"
extern const char* const kErrorNoFileName;     // "Error: song name is no file name"
extern const char* const kErrorUserFileInWay;  // "Error: your own lyrics file is in the way"
extern const char* const kErrorCannotWrite;    // "Error: cannot write the lyrics file"

struct TLyricsTarget {
    std::string Folder;             // the lyrics folder, a program path
    char Separator = '/';           // the platform's path separator
    std::string SongName;           // text of the code page
    std::int32_t LengthSeconds = 0; // 0 when not known
    int CodePage = 65001;           // the active code page
};

// Empty when the song name can name a lyrics file; else the error text.
std::string FileNameProblem(const std::string& songName, int codePage);
// Empty when the folder exists and can be written; else the error text.
std::string FolderProblem(const std::string& folder);

// The file name (text of the code page) for lyrics of the song.
std::string LyricFileName(const std::string& songName, std::int32_t lengthSeconds, bool timestamped);

// The file's bytes: the "[dl:" tag line with the source, then the lyrics (UTF-8, any line ends) in the code
// page with CR LF line ends; lines of the lyrics that are "[dl:" tags themselves are left out, so the tag
// names the real source. timestamped (when given) tells whether the text reads as timestamped lyrics.
std::string LyricFileBytes(const std::string& lyricsUtf8, const std::string& sourceUrl, int codePage,
                           bool* timestamped = nullptr);

struct TStoreResult {
    bool Ok = false;
    std::string Path;  // the file written
    std::string Error; // the reply text when not Ok
};

TStoreResult StoreLyrics(const TLyricsTarget& target, const std::string& fileBytes, bool timestamped);

// The "[dl:" source of the lyrics file the lookup would find for the song in the folder (its own files),
// empty when there is none or it has no tag.
std::string StoredDownloadSource(const TLyricsTarget& target);

} // namespace agent
