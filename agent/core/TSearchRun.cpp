#include "agent/core/TSearchRun.h"

#include "agent/core/TLrclib.h"
#include "agent/core/TLyricFileWriter.h"
#include "agent/core/TLyricSources.h"
#include "lyrics/UMp3Tag.h"
#include "lyrics/USearchAgent.h"
#include "toolkit/CodePage.h"

namespace agent {

std::string SearchingText(const std::string& url) {
    return "Searching " + HostOf(url) + "..";
}

std::string RunSearch(const TSearchRequest& request, const TSearchConfig& config, IHttpFetcher& http,
                      ISearchEvents& events) {
    const auto started = std::chrono::steady_clock::now();
    if (!lyrics::IsUsableSongName(request.SongName))
        return lyrics::kAgentNotFound;

    TLyricsTarget target;
    target.Folder = config.LyricsDir;
    target.Separator = config.Separator;
    target.SongName = request.SongName;
    target.LengthSeconds = request.LengthSeconds;
    target.CodePage = config.CodePage;
    // Nothing is asked that could not be stored.
    if (std::string problem = FileNameProblem(request.SongName, config.CodePage); !problem.empty())
        return problem;
    if (std::string problem = FolderProblem(config.LyricsDir); !problem.empty())
        return problem;

    const auto toUtf8 = [&](const std::string& text) {
        return toolkit::IsUtf8CodePage(config.CodePage) ? text
                                                        : toolkit::CodePageToUtf8(text, config.CodePage);
    };
    TSongQuery query;
    query.Artist = toUtf8(lyrics::ArtistOf(request.SongName));
    query.Title = toUtf8(lyrics::ArtistOf(request.SongName).empty() ? request.SongName
                                                                    : lyrics::TitleOf(request.SongName));
    query.LengthSeconds = request.LengthSeconds > 0 ? request.LengthSeconds : 0;
    query.WantSynced = request.Timestamped;
    const std::string songUtf8 = toUtf8(request.SongName);

    // The sources in order: (address for the "[dl:" tag, how to ask it).
    struct TSource {
        std::string Url;
        std::function<TSourceOutcome()> Ask;
    };
    std::vector<TSource> sources;
    std::vector<TSite> sites; // kept alive for the sources below
    std::int32_t first = request.Site;
    if (first < 0) {
        if (!config.LrclibUrl.empty() && StoredDownloadSource(target) == config.LrclibUrl)
            first = 0; // the database's lyrics are here already: search the sites instead
        else if (!config.LrclibUrl.empty())
            sources.push_back(
                {config.LrclibUrl, [&] { return SearchDatabase(http, config.LrclibUrl, query); }});
    }
    if (first >= 0) {
        sites.reserve(config.Sites.size());
        for (std::size_t i = std::size_t(first); i < config.Sites.size(); ++i) {
            if (config.Sites[i].Enabled)
                sites.push_back(MakeSite(config.Sites[i]));
        }
        for (const TSite& site : sites)
            sources.push_back({site.Url, [&http, &site, &query, &songUtf8] {
                                   return SearchSite(http, site, query, songUtf8);
                               }});
    }

    bool answered = false, failed = false;
    for (const TSource& source : sources) {
        if (events.Cancelled())
            return {};
        if (std::chrono::steady_clock::now() - started > config.SearchTime)
            break;
        events.Progress(SearchingText(source.Url));
        const TSourceOutcome outcome = source.Ask();
        switch (outcome.Result) {
        case TSourceResult::Cancelled:
            return {};
        case TSourceResult::Failed:
            failed = true;
            continue;
        case TSourceResult::NotFound:
            answered = true;
            continue;
        case TSourceResult::Found:
            answered = true;
            break;
        }
        if (outcome.Text.size() > kMaxLyricsBytes)
            continue;
        bool timestamped = false;
        const std::string bytes = LyricFileBytes(outcome.Text, source.Url, config.CodePage, &timestamped);
        TStoreResult stored;
        if (!events.Commit([&] { stored = StoreLyrics(target, bytes, timestamped); }))
            return {};
        return stored.Ok ? std::string(lyrics::kAgentDownloadDone) : stored.Error;
    }
    if (events.Cancelled())
        return {};
    return failed && !answered ? lyrics::kAgentErrorConnecting : lyrics::kAgentNotFound;
}

} // namespace agent
