#pragma once
// Submission of lyrics to the online lyric database, as a new entry or as a correction, and the
// questions the rest of the program asks about a song: does its name name a real artist and title
// (CanSubmit), does the database already hold it (IsSongKnown, from the local song index "unknown" in
// the settings folder and from the upload list), and would a submission therefore be new
// (IsNewSubmission). The submission dialog only shows what this class decides.
//
// Ownership: the main window creates the one TUploadLyric. It keeps references to the lyric document,
// the settings, the upload list (which the settings store loads and saves) and the host; all must
// outlive it. It owns the request component IEHTTPUploadLyric.

#include "database/IEHTTP3.h"
#include "database/TLrclibPublish.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace config {
class TSettings;
class TSongList;
} // namespace config

namespace lyrics {
class TTextLyrics;
struct TEditorPanes;
} // namespace lyrics

namespace database {

// The MD5 digest (RFC 1321) of the text's bytes as 32 lower-case hexadecimal digits.
std::string Md5Hex(const std::string& text);

// Song index section keys: the first character of a name lower-cased, or "0" for an empty name or one
// whose lower-cased first character has a code of 64 or less; and the key of the section after it.
std::string SectionKey(const std::string& name);
std::string NextSectionKey(const std::string& name);

// The text's lines without the blank ones at the end and at the start, each followed by CR LF.
std::string TrimBlankLines(const std::string& text);

// The form's "songtext": the lyric pane's lines without a last line that begins with "downloaded from"
// (any case) and the line of eleven hyphens above it, without blank lines at either end.
std::string SubmissionPlainText(const std::vector<std::string>& lyricPane);
// The form's "timestampedsongtext": every line of the panes in the LRC line form, each with CR LF.
std::string SubmissionTimestampedText(const std::vector<std::string>& timingPane,
                                      const std::vector<std::string>& lyricPane);

// The song index "unknown" (its bytes): does it list the artist with the title at that length (a
// timestamped version), or, for a negative mode, also the title alone (a plain version)? artist and
// title are already lower-cased and trimmed; length is in whole seconds.
bool SongIndexHolds(const std::string& index, const std::string& artist, const std::string& title,
                    std::int32_t lengthSeconds, int mode);

// The song name names a real artist and title: the artist is none of "artist", "unknown" and
// "unknown artist", the title is not empty and not a track number ("Track 07").
bool CanSubmit(const std::string& songName);

// What the submission needs of the program around it. Implemented by the main window.
class IUploadHost {
public:
    virtual ~IUploadHost() = default;
    // Length of the playing song in ms, never negative, 0 when unknown.
    virtual std::int32_t GetSongLength() = 0;
    // A submission is refused while the timing editor is open.
    virtual bool EditorVisible() = 0;
    // The song-change pipeline, run after a submission to refresh the submit action and indicators.
    virtual void UpdateSong() = 0;
    // The timing editor's panes refilled from the document (without showing the editor). False when
    // there is no editor: the submission then makes the panes from the document itself.
    virtual bool FillEditorPanes(lyrics::TEditorPanes& panes) {
        (void)panes;
        return false;
    }
};

// The plain and the timed text as LRCLIB takes them: lines separated by LF, without the note a download
// leaves at the end and without blank lines at the end (the plain text also at the start).
std::string LrclibPlainText(const std::vector<std::string>& lyricPane);
std::string LrclibSyncedText(const std::vector<std::string>& timingPane,
                             const std::vector<std::string>& lyricPane);

// The texts of the submission.
extern const char* const kSubmitPage;            // "/index.php?option=submit"
extern const char* const kNoReasonMessage;       // the refusal of a correction without a reason
extern const char* const kNoConnectionStatus;    // "Error connecting to database"
extern const char* const kCancelledStatus;       // a submission ended because the program is closing
extern const char* const kIncompleteReplyStatus; // the last line after a reply cut short

class TUploadLyric {
public:
    TUploadLyric(const lyrics::TTextLyrics& document, const config::TSettings& settings,
                 config::TSongList& uploadList, IUploadHost& host, IProcessMessages* messages = nullptr);
    TUploadLyric(const TUploadLyric&) = delete;
    TUploadLyric& operator=(const TUploadLyric&) = delete;

    // The request component, Timeout 90 s, handling user interface messages while it waits.
    TIEHTTP IEHTTPUploadLyric;

    // Publishing to LRCLIB, at the settings' LrclibUrl.
    TLrclibPublisher Lrclib;

    // The database is known to hold the song: mode 0 asks for a timestamped version of that length in
    // seconds; a negative mode accepts that or a plain version. False without a user name or a song
    // index file.
    bool IsSongKnown(const std::string& artist, const std::string& title, std::int32_t lengthSeconds,
                     int mode) const;
    // A submission of the current document would be a new entry (true) or a correction (false).
    bool IsNewSubmission() const;
    // A correction needs a reason: true when the dialog must refuse (kNoReasonMessage) and send nothing.
    bool ReasonMissing(const std::string& correctionReason) const;

    // Sends the current document. False, without sending, while the editor is open or when no lyrics
    // were found. Afterwards Status() holds the reply (or kNoConnectionStatus), and an accepted or
    // already present song is in the upload list; a reply cut short (connection closed, larger than any
    // answer) is shown with kIncompleteReplyStatus and adds nothing. Errors of the request component
    // (TIEHTTPError) are passed on.
    bool SubmitLyric(const std::string& correctionReason);
    // Sends the current document where publishTo (a PublishTo setting) says: the account's database (as
    // SubmitLyric), LRCLIB, or both. Status() holds one part per destination. False, without sending,
    // while the editor is open or when no lyrics were found.
    bool SubmitTo(const std::string& publishTo, const std::string& correctionReason);
    const std::string& Status() const { return Status_; }
    // Safe from any thread: ends a running submission at once (the program is closing); nothing more is
    // sent, and the song-change pipeline is not run afterwards.
    void Cancel();

private:
    std::string SongIndexFileName() const;
    lyrics::TEditorPanes Panes() const;
    // Sends the form to the account's database and reads its answer into Status_ and the upload list.
    void SendToVersevault(const lyrics::TEditorPanes& panes, const std::string& correctionReason);
    TLrclibTrack LrclibTrackOf(const lyrics::TEditorPanes& panes) const;

    const lyrics::TTextLyrics& Document_;
    const config::TSettings& Settings_;
    config::TSongList& UploadList_;
    IUploadHost& Host_;
    std::string Status_;
    std::atomic<bool> Cancelled_{false};
};

} // namespace database
