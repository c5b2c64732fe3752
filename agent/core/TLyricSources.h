#pragma once
// Where lyrics are searched: the open lyric database (the LRCLIB API, site -1) and the search sites of the
// site list (positions 0, 1, ...).
//
// A site entry (a section of Filters.ini or UserFilters.ini) means to the agent:
//   Url               the address asked; %Artist%, %Title% and %Song% (the whole song name) are replaced by
//                     the song's values, percent-encoded UTF-8. The same text goes into the stored file's
//                     "[dl:" tag, which is how "Search Again" knows where to continue.
//   RegExpr           a Perl-compatible expression (case ignored, "." matches line breaks) whose first match
//                     on the page gives the lyrics: the text of its first capture group that took part, or
//                     the whole match when it has none. When RegExprSecondary is set, what it gives is a link
//                     instead (absolute or relative to Url), and the page behind it is read.
//   RegExprSecondary  the same, applied to the linked page; it gives the lyrics.
//   What is cut out is HTML: <br> ends a line, paragraphs are separated by a blank line, tags are stripped
//   and entities decoded.
//   RegExpr = "json:lrclib" makes the entry a JSON site: Url answers with LRCLIB records (one object or a
//   list) and the record is chosen as for the database.
//   Enabled=0 leaves the site out of searches.

#include "agent/core/IHttpFetcher.h"
#include "agent/core/TBoundedRegex.h"
#include "agent/core/TLrclib.h"
#include "config/TFilterList.h"

#include <string>

namespace agent {

// The RegExpr of a JSON site.
extern const char* const kLrclibSiteKind; // "json:lrclib"

enum class TSiteKind { Page, LrclibJson };

struct TSite {
    std::string Url;
    bool Enabled = true;
    TSiteKind Kind = TSiteKind::Page;
    TBoundedRegex Primary;
    TBoundedRegex Secondary; // not valid: the primary expression gives the lyrics themselves
    std::string Problem; // why the entry cannot be searched (a bad expression, no address); empty if it can
};

// The site of an entry, its expressions compiled.
TSite MakeSite(const config::TFilter& entry);

// The host named by an address ("lrclib.net"), for the progress texts; the address itself when it names none.
std::string HostOf(const std::string& url);

enum class TSourceResult {
    Found,    // lyrics found
    NotFound, // the source answered, with nothing usable
    Failed,   // no answer: no connection, refused, silent
    Cancelled // the search was cancelled
};

struct TSourceOutcome {
    TSourceResult Result = TSourceResult::NotFound;
    std::string Text; // the lyrics, UTF-8 lines joined by "\n", when Found
    bool Synced = false;
    std::string Note; // why nothing was found, for tests; never shown
};

// Lyrics longer than this are no lyrics (a whole page caught by a greedy expression).
constexpr std::size_t kMaxLyricsBytes = 256u * 1024u;

// The database at base: /api/get first when the query names an artist; then, unless that gave an acceptable
// record (a synced one where one is wanted), /api/search; the record is chosen from all answers together.
TSourceOutcome SearchDatabase(IHttpFetcher& http, const std::string& base, const TSongQuery& query);

// One site of the list. songName is the whole song name (UTF-8) for %Song%.
TSourceOutcome SearchSite(IHttpFetcher& http, const TSite& site, const TSongQuery& query,
                          const std::string& songName);

} // namespace agent
