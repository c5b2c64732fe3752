#include "database/UUploadLyric.h"

#include "config/TSongList.h"
#include "config/USettings.h"
#include "lyrics/ClockText.h"
#include "lyrics/TEditorPanes.h"
#include "lyrics/TextHelpers.h"
#include "lyrics/UMp3Tag.h"
#include "lyrics/UTextLyrics.h"
#include "platform/Hash.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/RoundLength.h"
#include "toolkit/TextCompare.h"

namespace database {

const char* const kSubmitPage = "/index.php?option=submit";
const char* const kNoReasonMessage = "Please enter the reason that this lyric is wrong.\r\n"
                                     "The corrections are manually checked for submission, and\r\n"
                                     "it help to know what was wrong with the original submission.";
const char* const kNoConnectionStatus = "Error connecting to database";
constexpr std::size_t kMaxDatabaseReplyBytes = 1024 * 1024;
const char* const kCancelledStatus = "Cancelled";
const char* const kIncompleteReplyStatus = "[the reply was incomplete: nothing is counted as submitted]\r\n";

namespace {

using lyrics::Trim;

// Characters of code 32 and below are blank.
bool IsBlank(const std::string& text) {
    return lyrics::TrimView(text).empty();
}

std::string LowerTrim(const std::string& text) {
    return toolkit::LowerCaseText(Trim(text));
}

// Lines split at CR LF, LF or CR; a break at the very end starts no further line.
std::vector<std::string> SplitLines(const std::string& text) {
    return SplitReplyLines(text);
}

// "track" followed by a whole number ("Track 07"), lower-cased and trimmed already.
bool IsTrackNumber(const std::string& title) {
    std::int32_t number = 0;
    return title.compare(0, 5, "track") == 0 &&
           lyrics::ReadInteger(lyrics::TrimView(std::string_view(title).substr(5)), number);
}

bool IsPlaceholderArtist(const std::string& artist) {
    return artist == "artist" || artist == "unknown" || artist == "unknown artist";
}

// The codes of a song index line: separated by blanks; a group in double quotes is one code.
std::vector<std::string> Codes(const std::string& line) {
    std::vector<std::string> codes;
    std::size_t i = 0;
    while (i < line.size()) {
        if (static_cast<unsigned char>(line[i]) <= ' ') {
            ++i;
            continue;
        }
        std::string code;
        if (line[i] == '"') {
            ++i;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        code += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                code += line[i++];
            }
        } else {
            while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ')
                code += line[i++];
        }
        codes.push_back(code);
    }
    return codes;
}

bool HasCode(const std::string& line, const std::string& code) {
    for (const auto& c : Codes(line)) {
        if (c == code)
            return true;
    }
    return false;
}

std::string Code(const std::string& text) {
    return Md5Hex(text).substr(0, 4);
}

std::string LengthTag(std::int32_t lengthSeconds) {
    return " [" + std::to_string(toolkit::RoundLength(lengthSeconds)) + "]";
}

} // namespace

std::string Md5Hex(const std::string& text) {
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : platform::HashBytes(platform::THashKind::Md5, text.data(), text.size())) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

namespace {

// The first character of the name, lower-cased: one byte in a single-byte code page, one whole UTF-8
// sequence under UTF-8.
std::string LowerFirstCharacter(const std::string& name) {
    return toolkit::LowerCaseText(name.substr(0, toolkit::FirstCharLength(name, toolkit::ActiveCodePage())));
}

} // namespace

std::string SectionKey(const std::string& name) {
    if (name.empty())
        return "0";
    const std::string first = LowerFirstCharacter(name);
    return static_cast<unsigned char>(first[0]) <= 64 ? "0" : first;
}

std::string NextSectionKey(const std::string& name) {
    if (name.empty())
        return "0";
    const std::string first = LowerFirstCharacter(name);
    if (first == "0")
        return ":";
    const int page = toolkit::ActiveCodePage();
    if (!toolkit::IsUtf8CodePage(page))
        return std::string(1, char(static_cast<unsigned char>(first[0]) + 1));
    // Under UTF-8 the next character is the next code point.
    return toolkit::CodePointToText(toolkit::CodePageToCodePoints(first, page).front() + 1, page);
}

std::string TrimBlankLines(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    while (!lines.empty() && IsBlank(lines.back()))
        lines.pop_back();
    std::size_t first = 0;
    while (first < lines.size() && IsBlank(lines[first]))
        ++first;
    std::string out;
    for (std::size_t i = first; i < lines.size(); ++i)
        out += lines[i] + "\r\n";
    return out;
}

std::string SubmissionPlainText(const std::vector<std::string>& lyricPane) {
    std::vector<std::string> lines = lyricPane;
    if (!lines.empty() && toolkit::LowerCaseText(lines.back().substr(0, 15)) == "downloaded from") {
        lines.pop_back();
        if (!lines.empty() && lines.back().compare(0, 11, "-----------") == 0)
            lines.pop_back();
    }
    while (!lines.empty() && IsBlank(lines.back()))
        lines.pop_back();
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? "\r\n" : "") + lines[i];
    return TrimBlankLines(text);
}

std::string SubmissionTimestampedText(const std::vector<std::string>& timingPane,
                                      const std::vector<std::string>& lyricPane) {
    std::string text;
    for (std::size_t i = 0; i < lyricPane.size(); ++i)
        text += lyrics::LrcLine(i < timingPane.size() ? timingPane[i] : lyrics::kEndTimeText, lyricPane[i]) +
                "\r\n";
    return text;
}

namespace {

// The pane lines without the note a download leaves at the end (a line beginning with "downloaded from"
// and the eleven hyphens above it) and without blank lines at the end: how many of them remain.
std::size_t KeptLineCount(const std::vector<std::string>& lyricPane) {
    std::size_t count = lyricPane.size();
    if (count > 0 && toolkit::LowerCaseText(lyricPane[count - 1].substr(0, 15)) == "downloaded from") {
        --count;
        if (count > 0 && lyricPane[count - 1].compare(0, 11, "-----------") == 0)
            --count;
    }
    while (count > 0 && IsBlank(lyricPane[count - 1]))
        --count;
    return count;
}

} // namespace

std::string LrclibPlainText(const std::vector<std::string>& lyricPane) {
    std::vector<std::string> lines(lyricPane.begin(),
                                   lyricPane.begin() + std::ptrdiff_t(KeptLineCount(lyricPane)));
    std::size_t first = 0;
    while (first < lines.size() && IsBlank(lines[first]))
        ++first;
    std::string text;
    for (std::size_t i = first; i < lines.size(); ++i)
        text += (i > first ? "\n" : "") + lines[i];
    return text;
}

std::string LrclibSyncedText(const std::vector<std::string>& timingPane,
                             const std::vector<std::string>& lyricPane) {
    const std::size_t count = KeptLineCount(lyricPane);
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i > 0 ? "\n" : "") +
                lyrics::LrcLine(i < timingPane.size() ? timingPane[i] : lyrics::kEndTimeText, lyricPane[i]);
    return text;
}

bool SongIndexHolds(const std::string& index, const std::string& artist, const std::string& title,
                    std::int32_t lengthSeconds, int mode) {
    const std::vector<std::string> lines = SplitLines(index);
    std::size_t i = 0;
    while (i < lines.size() && lines[i] != "--")
        ++i;
    const std::string key = SectionKey(artist);
    while (i < lines.size() && LowerTrim(lines[i]) != key)
        ++i;
    if (i >= lines.size())
        return false;
    ++i;

    const std::string nextKey = NextSectionKey(artist);
    const std::string artistCode = Code(artist);
    const std::string timedCode = Code(title + LengthTag(lengthSeconds));
    const std::string plainCode = Code(title);
    while (i < lines.size() && LowerTrim(lines[i]) != nextKey) {
        const std::string& artists = lines[i];
        const std::string titles = i + 1 < lines.size() ? lines[i + 1] : std::string();
        i += 2;
        if (!HasCode(artists, artistCode))
            continue;
        if (HasCode(titles, timedCode))
            return true;
        if (mode < 0 && HasCode(titles, plainCode))
            return true;
    }
    return false;
}

bool CanSubmit(const std::string& songName) {
    const std::string artist = LowerTrim(lyrics::ArtistOf(songName));
    const std::string title = LowerTrim(lyrics::TitleOf(songName));
    return !IsPlaceholderArtist(artist) && !title.empty() && !IsTrackNumber(title);
}

TUploadLyric::TUploadLyric(const lyrics::TTextLyrics& document, const config::TSettings& settings,
                           config::TSongList& uploadList, IUploadHost& host, IProcessMessages* messages)
    : IEHTTPUploadLyric(messages), Lrclib(messages), Document_(document), Settings_(settings),
      UploadList_(uploadList), Host_(host) {
    IEHTTPUploadLyric.SetTimeout(90);
    IEHTTPUploadLyric.SetBlockingMode(false);
    // The database answers in a line or two; a reply this large is no answer and is not kept whole.
    IEHTTPUploadLyric.SetMaxReplyBytes(kMaxDatabaseReplyBytes);
}

std::string TUploadLyric::SongIndexFileName() const {
    return Settings_.SettingsFolder() + "unknown";
}

bool TUploadLyric::IsSongKnown(const std::string& artist, const std::string& title,
                               std::int32_t lengthSeconds, int mode) const {
    // Before the settings are loaded there is no settings folder, and so no song index.
    if (IsBlank(Settings_.Username()) || Settings_.SettingsFolder().empty() ||
        !toolkit::FileExists(SongIndexFileName()))
        return false;
    const std::string a = LowerTrim(artist);
    const std::string t = LowerTrim(title);
    if (a.empty() || t.empty())
        return false;
    if (UploadList_.Contains(a + " - " + t + LengthTag(lengthSeconds)))
        return true;
    if (mode < 0 && UploadList_.Contains(a + " - " + t))
        return true;
    const auto index = toolkit::ReadFileBytes(SongIndexFileName());
    return index && SongIndexHolds(*index, a, t, lengthSeconds, mode);
}

bool TUploadLyric::IsNewSubmission() const {
    const std::string a = LowerTrim(lyrics::ArtistOf(Document_.SongName));
    const std::string t = LowerTrim(lyrics::TitleOf(Document_.SongName));
    bool result = Document_.Found && !a.empty() && !IsPlaceholderArtist(a) && !t.empty();
    if (result && IsTrackNumber(t))
        result = false;
    const std::int32_t length = Host_.GetSongLength();
    if (Document_.Timestamped) {
        if (length < 2000)
            result = false;
        else if (IsSongKnown(a, t, length / 1000, 0))
            result = false;
    } else if (IsSongKnown(a, t, length / 1000, -1)) {
        result = false;
    }
    return result;
}

bool TUploadLyric::ReasonMissing(const std::string& correctionReason) const {
    return !IsNewSubmission() && IsBlank(correctionReason);
}

lyrics::TEditorPanes TUploadLyric::Panes() const {
    lyrics::TEditorPanes panes;
    if (!Host_.FillEditorPanes(panes))
        panes = lyrics::FillPanes(Document_);
    return panes;
}

void TUploadLyric::SendToVersevault(const lyrics::TEditorPanes& panes, const std::string& correctionReason) {
    TIEHTTP& http = IEHTTPUploadLyric;
    http.SetRequestMethod("POST");
    http.SetMultipartPOST(true);

    std::int32_t sentLength = 0;
    if (Document_.Timestamped) {
        sentLength = Host_.GetSongLength() / 1000;
        http.AddMultipartVar("timestampedsongtext", SubmissionTimestampedText(panes.Timing, panes.Lyric));
        http.AddMultipartVar("timestampedsonglength", std::to_string(sentLength));
    }
    const std::string songText = SubmissionPlainText(panes.Lyric);
    if (!IsNewSubmission()) {
        http.AddMultipartVar("correctsong", std::string("1"));
        http.AddMultipartVar("correctreason", IsBlank(correctionReason)
                                                  ? std::string("Submitted for correction")
                                                  : correctionReason);
        http.AddMultipartVar("songtype", std::string(Document_.Timestamped ? "1" : "0"));
    }
    const std::string artist = lyrics::ArtistOf(Document_.SongName);
    const std::string title = lyrics::TitleOf(Document_.SongName);
    http.AddMultipartVar("cnl", std::string("1"));
    http.AddMultipartVar("artistname", artist);
    http.AddMultipartVar("songname", title);
    http.AddMultipartVar("songtext", songText);
    http.AddMultipartVar("userNickname", Settings_.Username());
    http.AddMultipartVar("userPassword", Md5Hex(Settings_.Password()));

    Status_.clear();
    http.ExecuteURL(Settings_.VersevaultUrl() + kSubmitPage);
    if (http.Cancelled()) {
        Status_ = kCancelledStatus;
        return;
    }
    const std::vector<std::string>& reply = http.ResponseLines();
    for (const auto& line : reply)
        Status_ += line + "\r\n";

    // A reply cut short (the connection closed in the middle, or far larger than any answer of the
    // database) is shown, but it does not count as the database's answer.
    const bool complete = http.TimedOut() || http.LastWorkerError().empty();
    if (!complete && !IsBlank(Status_))
        Status_ += kIncompleteReplyStatus;
    if (!reply.empty() && complete) {
        const std::string plainEntry = toolkit::LowerCaseText(artist) + " - " + toolkit::LowerCaseText(title);
        const std::string& first = reply.front();
        if (toolkit::SameTextIgnoreCase(first, "Lyric successfully added") ||
            toolkit::SameTextIgnoreCase(first, "Song Allready Added")) {
            UploadList_.Add(plainEntry);
        } else if (toolkit::SameTextIgnoreCase(first, "Lyric successfully added (timestamped)") ||
                   toolkit::SameTextIgnoreCase(first, "Timestamped song allready added")) {
            UploadList_.Add(plainEntry + LengthTag(sentLength));
        }
    }
    if (IsBlank(Status_))
        Status_ = kNoConnectionStatus;
}

bool TUploadLyric::SubmitLyric(const std::string& correctionReason) {
    if (Host_.EditorVisible() || !Document_.Found)
        return false;
    IEHTTPUploadLyric.ResetCancel();
    SendToVersevault(Panes(), correctionReason);
    if (!IEHTTPUploadLyric.Cancelled())
        Host_.UpdateSong();
    return true;
}

TLrclibTrack TUploadLyric::LrclibTrackOf(const lyrics::TEditorPanes& panes) const {
    TLrclibTrack track;
    track.ArtistName = toolkit::ActiveToUtf8(Trim(lyrics::ArtistOf(Document_.SongName)));
    track.TrackName = toolkit::ActiveToUtf8(Trim(lyrics::TitleOf(Document_.SongName)));
    for (const auto& tag : Document_.Tags) {
        if (toolkit::LowerCaseText(tag.substr(0, 4)) == "[al:") {
            const std::size_t close = tag.find(']');
            track.AlbumName = toolkit::ActiveToUtf8(
                Trim(tag.substr(4, close == std::string::npos ? std::string::npos : close - 4)));
        }
    }
    track.DurationSeconds = (Host_.GetSongLength() + 500) / 1000;
    track.PlainLyrics = toolkit::ActiveToUtf8(LrclibPlainText(panes.Lyric));
    if (Document_.Timestamped)
        track.SyncedLyrics = toolkit::ActiveToUtf8(LrclibSyncedText(panes.Timing, panes.Lyric));
    return track;
}

bool TUploadLyric::SubmitTo(const std::string& publishTo, const std::string& correctionReason) {
    if (Host_.EditorVisible() || !Document_.Found)
        return false;
    IEHTTPUploadLyric.ResetCancel();
    Cancelled_ = false;
    Status_.clear();
    const lyrics::TEditorPanes panes = Panes();
    // Both texts are made before anything is sent: the song-change pipeline may replace the document.
    const TLrclibTrack track = LrclibTrackOf(panes);
    const bool toVersevault = !toolkit::SameTextIgnoreCase(publishTo, config::kPublishToLrclib);
    const bool toLrclib = toolkit::SameTextIgnoreCase(publishTo, config::kPublishToLrclib) ||
                          toolkit::SameTextIgnoreCase(publishTo, config::kPublishToBoth);
    std::string status;
    if (toVersevault) {
        SendToVersevault(panes, correctionReason);
        status = Status_;
    }
    if (toLrclib && !Cancelled_) {
        Lrclib.Publish(Settings_.LrclibUrl(), track);
        if (!status.empty() && status.back() != '\n')
            status += "\r\n";
        status += Lrclib.Status() + "\r\n";
    }
    Status_ = status;
    if (!Cancelled_)
        Host_.UpdateSong();
    return true;
}

void TUploadLyric::Cancel() {
    Cancelled_ = true;
    IEHTTPUploadLyric.Cancel();
    Lrclib.Cancel();
}

} // namespace database
