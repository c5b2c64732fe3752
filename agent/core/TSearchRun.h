#pragma once
// One search of the agent, from request to reply text: the sources in order (the database for site -1, else
// the enabled sites of the list from the requested position on), each asked in turn until one has lyrics,
// which are then stored; progress texts on the way; an end when cancelled or past the search's time.
//
// Reply texts: "DownloadDone" after storing; "Not Found" when a source answered but none had lyrics (or
// there was nothing to ask); "Error Connecting" when no source answered at all; an "Error: ..." text when
// the lyrics cannot be stored or the song name names no file; nothing when the search was cancelled.
//
// The database's lyrics of a song that are already stored (its "[dl:" tag is the database's address) are
// not fetched again: a "Search" for the database then goes on with the sites, from the first.

#include "agent/core/IHttpFetcher.h"
#include "config/TFilterList.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace agent {

struct TSearchRequest {
    std::int32_t Site = -1; // -1: the database; 0 or more: the first site position to try
    std::string SongName;   // artist " - " title, text of the active code page
    std::int32_t LengthSeconds = 0;
    bool Timestamped = false; // a timestamped version is wanted
};

// What a search needs of the settings, read afresh for every search.
struct TSearchConfig {
    std::string LyricsDir;
    char Separator = '/';
    int CodePage = 65001;
    std::string LrclibUrl;
    std::vector<config::TFilter> Sites;
    std::chrono::milliseconds SearchTime{60000}; // no further source is asked after this
    THttpLimits Limits;
};

class ISearchEvents {
public:
    virtual ~ISearchEvents() = default;
    // A text for the main window's notice ("Searching lrclib.net..").
    virtual void Progress(const std::string& text) = 0;
    virtual bool Cancelled() = 0;
    // Runs store unless the search has been cancelled, with the cancelling held off while it runs, so a
    // cancelled search never writes; false when it did not run.
    virtual bool Commit(const std::function<void()>& store) = 0;
};

// The progress text for a source address: "Searching " + its host + "..".
std::string SearchingText(const std::string& url);

// Runs the search; the reply text, empty when it was cancelled.
std::string RunSearch(const TSearchRequest& request, const TSearchConfig& config, IHttpFetcher& http,
                      ISearchEvents& events);

} // namespace agent
