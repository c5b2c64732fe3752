#include "agent/core/TLrclib.h"

#include "toolkit/CodePage.h"
#include "toolkit/TextCompare.h"
#include "toolkit/UrlText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace agent {

const char* const kInstrumentalText = "(Instrumental)";

namespace {

using nlohmann::json;

// The deepest nesting of arrays and objects in the text (strings skipped), stopping past the limit.
int NestingDepth(const std::string& text, int limit) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit)
                return deepest;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

std::string StringField(const json& object, const char* name) {
    const auto it = object.find(name);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

TLrclibRecord RecordOf(const json& object) {
    TLrclibRecord record;
    record.TrackName = StringField(object, "trackName");
    record.ArtistName = StringField(object, "artistName");
    record.AlbumName = StringField(object, "albumName");
    const auto duration = object.find("duration");
    if (duration != object.end() && duration->is_number()) {
        const double d = duration->get<double>();
        record.Duration = std::isfinite(d) && d > 0 ? d : 0;
    }
    const auto instrumental = object.find("instrumental");
    record.Instrumental =
        instrumental != object.end() && instrumental->is_boolean() && instrumental->get<bool>();
    record.PlainLyrics = StringField(object, "plainLyrics");
    record.SyncedLyrics = StringField(object, "syncedLyrics");
    return record;
}

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// Letters and digits only: ASCII punctuation and blanks, and the general punctuation of Unicode, go.
std::u32string Letters(const std::u32string& folded) {
    std::u32string out;
    for (char32_t c : folded) {
        const bool asciiOther =
            c < 0x80 && !((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'));
        const bool punctuation = (c >= 0x2000 && c <= 0x206F) || (c >= 0x00A0 && c <= 0x00BF) ||
                                 (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF0F) || c == 0xFFFD;
        if (!asciiOther && !punctuation)
            out += c;
    }
    return out;
}

// Names are compared over at most this many characters, which bounds the work.
constexpr std::size_t kMaxCompared = 200;

double Similarity(std::u32string a, std::u32string b) {
    a.resize(std::min(a.size(), kMaxCompared));
    b.resize(std::min(b.size(), kMaxCompared));
    if (a.empty() && b.empty())
        return 1.0;
    if (a.empty() || b.empty())
        return 0.0;
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return 1.0 - double(row[b.size()]) / double(std::max(a.size(), b.size()));
}

// The name without what usually trails a title or an artist: "(...)", "[...]", " - ...", " feat. ...",
// " ft. ...", " featuring ...", " & ...", ", ...", " with ...".
std::u32string Core(const std::u32string& folded) {
    static const std::u32string kCuts[] = {U"(",           U"[",   U" - ", U" feat.", U" feat ", U" ft.",
                                           U" featuring ", U" & ", U", ",  U" with ", U" x "};
    std::size_t end = folded.size();
    for (const auto& cut : kCuts) {
        const std::size_t at = folded.find(cut);
        if (at != std::u32string::npos && at > 0)
            end = std::min(end, at);
    }
    return folded.substr(0, end);
}

double AsciiAwareCloseness(const std::string& a, const std::string& b) {
    const std::u32string fa = toolkit::FoldedCodePoints(a, toolkit::kCodePageUtf8);
    const std::u32string fb = toolkit::FoldedCodePoints(b, toolkit::kCodePageUtf8);
    double best = Similarity(Letters(fa), Letters(fb));
    const std::u32string ca = Letters(Core(fa)), cb = Letters(Core(fb));
    if (!ca.empty() && !cb.empty()) {
        best = std::max({best, Similarity(ca, Letters(fb)), Similarity(Letters(fa), cb), Similarity(ca, cb)});
    }
    return best;
}

constexpr double kMinCloseness = 0.75;
constexpr double kDurationTolerance = 2.0;

std::string Base(const std::string& base) {
    std::string b = base;
    while (!b.empty() && b.back() == '/')
        b.pop_back();
    return b;
}

} // namespace

std::optional<std::vector<TLrclibRecord>> ParseLrclibReply(const std::string& body) {
    if (NestingDepth(body, kMaxJsonDepth) > kMaxJsonDepth)
        return std::nullopt;
    const json value = json::parse(body, nullptr, false);
    if (value.is_discarded())
        return std::nullopt;
    std::vector<TLrclibRecord> records;
    if (value.is_object()) {
        records.push_back(RecordOf(value));
    } else if (value.is_array()) {
        for (const json& element : value)
            if (element.is_object())
                records.push_back(RecordOf(element));
    } else {
        return std::nullopt;
    }
    return records;
}

double NameCloseness(const std::string& a, const std::string& b) {
    return AsciiAwareCloseness(a, b);
}

std::optional<TChosenLyrics> ChooseLyrics(const std::vector<TLrclibRecord>& records,
                                          const TSongQuery& query) {
    // Best first: (synced when wanted, closeness, synced otherwise, -position).
    using TKey = std::tuple<int, double, int, long>;
    std::optional<TKey> bestKey;
    const TLrclibRecord* best = nullptr;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TLrclibRecord& r = records[i];
        const bool synced = !IsBlank(r.SyncedLyrics);
        if (!synced && IsBlank(r.PlainLyrics) && !r.Instrumental)
            continue;
        if (query.LengthSeconds > 0 &&
            !(r.Duration > 0 && std::fabs(r.Duration - double(query.LengthSeconds)) <= kDurationTolerance))
            continue;
        const double title = NameCloseness(r.TrackName, query.Title);
        if (title < kMinCloseness)
            continue;
        double artist = 1.0;
        if (!query.Artist.empty()) {
            artist = NameCloseness(r.ArtistName, query.Artist);
            if (artist < kMinCloseness)
                continue;
        }
        const TKey key{query.WantSynced && synced ? 1 : 0, title + artist,
                       !query.WantSynced && synced ? 1 : 0, -long(i)};
        if (!bestKey || key > *bestKey) {
            bestKey = key;
            best = &r;
        }
    }
    if (best == nullptr)
        return std::nullopt;
    TChosenLyrics chosen;
    if (!IsBlank(best->SyncedLyrics)) {
        chosen.Text = best->SyncedLyrics;
        chosen.Synced = true;
    } else if (!IsBlank(best->PlainLyrics)) {
        chosen.Text = best->PlainLyrics;
    } else {
        chosen.Text = kInstrumentalText;
        chosen.Instrumental = true;
    }
    return chosen;
}

std::string LrclibGetAddress(const std::string& base, const TSongQuery& query) {
    std::string address = Base(base) + "/api/get?artist_name=" + toolkit::URLEncode(query.Artist, false) +
                          "&track_name=" + toolkit::URLEncode(query.Title, false);
    if (query.LengthSeconds >= 1 && query.LengthSeconds <= 3600)
        address += "&duration=" + std::to_string(query.LengthSeconds);
    return address;
}

std::string LrclibSearchAddress(const std::string& base, const TSongQuery& query) {
    if (query.Artist.empty())
        return Base(base) + "/api/search?q=" + toolkit::URLEncode(query.Title, false);
    return Base(base) + "/api/search?track_name=" + toolkit::URLEncode(query.Title, false) +
           "&artist_name=" + toolkit::URLEncode(query.Artist, false);
}

} // namespace agent
