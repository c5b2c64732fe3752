#pragma once
// The open lyric database's records (the LRCLIB API: /api/get gives one record, /api/search a list) and the
// choice of the record whose lyrics are stored for a song. Pure functions of bytes and values.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace agent {

// One record; texts are UTF-8. A missing or null field reads as empty (Duration 0: not known).
struct TLrclibRecord {
    std::string TrackName;
    std::string ArtistName;
    std::string AlbumName;
    double Duration = 0; // seconds
    bool Instrumental = false;
    std::string PlainLyrics;
    std::string SyncedLyrics;
};

// What is searched for. Texts are UTF-8.
struct TSongQuery {
    std::string Artist; // empty when the song name names none
    std::string Title;
    std::int32_t LengthSeconds = 0; // 0 when not known
    bool WantSynced = false;        // a timestamped version is asked for
};

// The lyrics chosen from a record: Text is UTF-8 lines joined by "\n".
struct TChosenLyrics {
    std::string Text;
    bool Synced = false;
    bool Instrumental = false;
};

// The one line stored for an instrumental song.
extern const char* const kInstrumentalText; // "(Instrumental)"

// Nesting deeper than this is no record list; such a reply is refused before it is parsed.
constexpr int kMaxJsonDepth = 32;

// The records of a reply: an object is one record, an array a list (elements that are no objects are
// skipped). Nothing for malformed JSON, nesting deeper than kMaxJsonDepth, or another top-level value.
std::optional<std::vector<TLrclibRecord>> ParseLrclibReply(const std::string& body);

// How close two names are, from 0 to 1: 1 - edit distance / longer length, over case-folded letters and
// digits (blanks and punctuation ignored), the better of the whole names and their cores (a title without
// a trailing "(...)", "[...]" or " - ..." part, an artist without " feat. ..." or " & ...").
double NameCloseness(const std::string& a, const std::string& b);

// The record to store, by these rules in order:
//  - a record counts only when it holds synced or plain lyrics or is instrumental, its title is close to
//    the query's (NameCloseness >= 0.75) and so is its artist (when the query names one), and, when the
//    song's length is known, its duration is within 2 s of it;
//  - with WantSynced, a record with synced lyrics comes before one without;
//  - then the closer names (title and artist together);
//  - then, without WantSynced, a record with synced lyrics before one without;
//  - then the earlier record.
// Its synced lyrics when it has them, else its plain lyrics, else kInstrumentalText. Nothing when no record
// counts.
std::optional<TChosenLyrics> ChooseLyrics(const std::vector<TLrclibRecord>& records, const TSongQuery& query);

// The addresses asked: base + "/api/get?artist_name=...&track_name=...[&duration=...]" (duration only when
// the length is known, from 1 to 3600 s) and base + "/api/search?track_name=...&artist_name=..." (or
// "?q=<title>" without an artist). Values are percent-encoded UTF-8; a trailing "/" of base is dropped.
std::string LrclibGetAddress(const std::string& base, const TSongQuery& query);
std::string LrclibSearchAddress(const std::string& base, const TSongQuery& query);

} // namespace agent
