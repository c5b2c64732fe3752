#include "player/MprisI.h"

#include "player/EasyAmp.h"
#include "toolkit/AsciiText.h"
#include "toolkit/CodePage.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace player {

using platform::TMediaCall;
using platform::TMediaCommand;

namespace {

// "%XX" escapes decoded; a broken escape, and "%00", stay as they are.
std::string PercentDecoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = toolkit::HexDigitValue(text[i + 1]), low = toolkit::HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0 && (high | low) != 0) {
                out += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() ||
            std::tolower((unsigned char)text[i]) != std::tolower((unsigned char)prefix[i]))
            return false;
    }
    return true;
}

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (unsigned char)c <= ' '; });
}

// The last path segment of a URL, percent-decoded.
std::string UrlFileName(const std::string& url) {
    std::string path = MprisFileName(url);
    if (path.empty()) {
        path = url.substr(0, url.find_first_of("?#"));
        path = PercentDecoded(path);
    }
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file name without its extension; a name that starts with its only dot (".hidden") stays whole.
std::string WithoutExtension(std::string name) {
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

// The artists as players show them: "A, B"; blank entries left out.
std::string JoinedArtists(const std::vector<std::string>& artists) {
    std::string joined;
    for (const auto& artist : artists) {
        if (IsBlank(artist))
            continue;
        if (!joined.empty())
            joined += ", ";
        joined += artist;
    }
    return joined;
}

// Single-byte text in the active code page, control characters turned into blanks so that a title stays
// one line.
std::string ToActive(const std::string& utf8) {
    std::string text = toolkit::Utf8ToActive(utf8);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return (unsigned char)c < ' '; }, ' ');
    return text;
}

std::int32_t ClampMs(std::int64_t value) {
    if (value < 0)
        return 0;
    return value > INT32_MAX ? INT32_MAX : std::int32_t(value);
}

} // namespace

std::string MprisFileName(const std::string& url) {
    if (!StartsWithNoCase(url, "file://"))
        return {};
    std::string rest = url.substr(7);
    if (StartsWithNoCase(rest, "localhost/"))
        rest.erase(0, 9);
    if (rest.empty() || rest[0] != '/')
        return {}; // a file on another host
    return PercentDecoded(rest.substr(0, rest.find_first_of("?#")));
}

bool MprisTitleIsFileName(const platform::TMediaMetadata& m) {
    return !m.url.empty() && (IsBlank(m.title) || m.title == UrlFileName(m.url));
}

std::string MprisTitle(const platform::TMediaPlayerState& state) {
    if (state.playbackStatus == "Stopped")
        return kStoppedTitle;
    const platform::TMediaMetadata& m = state.metadata;
    if (IsBlank(m.title))
        return WithoutExtension(UrlFileName(m.url));
    // Players tell an untagged file's name as its title; the song is the name without its extension.
    const std::string title = m.title == UrlFileName(m.url) ? WithoutExtension(m.title) : m.title;
    const std::string artist = JoinedArtists(m.artists);
    return artist.empty() ? title : artist + " - " + title;
}

TMprisI::TMprisI(platform::IMediaSession* media, platform::IClock& clock, TBusThread thread)
    : Media_(media), Clock_(clock), Thread_(thread) {
    if (!Media_)
        return;
    Bus_ = std::make_unique<TMprisBus>(*Media_, Clock_);
    if (Thread_ == TBusThread::Worker) {
        Bus_->SetStopFlag(&Stop_);
        Worker_ = std::thread([this] { Run(); });
    }
}

TMprisI::~TMprisI() {
    if (!Worker_.joinable())
        return;
    Stop_ = true;
    Media_->Wake();
    Worker_.join();
}

void TMprisI::Run() {
    for (;;) {
        std::vector<TMprisCommand> commands;
        std::string followed;
        {
            std::lock_guard<std::mutex> lock(Lock_);
            commands.swap(Queue_);
            followed = SharedFollowed_;
        }
        if (Stop_)
            return;
        Bus_->SetFollowed(followed);
        for (const auto& command : commands) {
            if (Stop_)
                return;
            Bus_->Execute(command);
        }
        if (!Bus_->Step(kWorkerWaitMs) || Stop_)
            continue;
        {
            std::lock_guard<std::mutex> lock(Lock_);
            Published_ = Bus_->Players();
            PublishedListed_ = Bus_->Listed();
        }
        Generation_.fetch_add(1, std::memory_order_release);
        std::lock_guard<std::mutex> lock(NewsLock_);
        if (News_)
            News_->PlayerNews();
    }
}

void TMprisI::SetNewsListener(IPlayerNewsListener* listener) {
    std::lock_guard<std::mutex> lock(NewsLock_);
    News_ = listener;
}

bool TMprisI::HasNews() const {
    return Thread_ == TBusThread::Worker && Generation_.load(std::memory_order_acquire) != Taken_;
}

void TMprisI::Take(std::vector<TMprisReading> players, bool listed) {
    Players_ = std::move(players);
    Listed_ = listed;
}

void TMprisI::Refresh() {
    if (!Bus_)
        return;
    if (Thread_ == TBusThread::Caller) {
        Bus_->SetFollowed(Player_);
        Bus_->Step(0);
        Take(Bus_->Players(), Bus_->Listed());
    } else {
        // Never waits: while the worker is handing out (a copy of a few players), the news is taken next
        // time.
        const std::uint64_t generation = Generation_.load(std::memory_order_acquire);
        if (generation != Taken_) {
            std::unique_lock<std::mutex> lock(Lock_, std::try_to_lock);
            if (lock.owns_lock()) {
                Take(Published_, PublishedListed_);
                Taken_ = generation;
            }
        }
    }
    Choose();
}

bool TMprisI::Find() {
    Player_.clear();
    Identity_.clear();
    if (!Bus_)
        return false;
    Refresh();
    return !Player_.empty();
}

void TMprisI::Choose() {
    std::vector<TMprisCandidate> candidates;
    candidates.reserve(Players_.size());
    for (const auto& p : Players_)
        candidates.push_back({p.name, p.state.playbackStatus, p.answered});
    const std::string chosen = Chooser_.Choose(candidates, Player_, Pinned_, Clock_.TickCount());
    if (chosen != Player_) {
        Player_ = chosen;
        if (!chosen.empty())
            ++FollowSerial_;
        if (Thread_ == TBusThread::Worker) {
            {
                std::lock_guard<std::mutex> lock(Lock_);
                SharedFollowed_ = chosen;
            }
            Media_->Wake();
        }
    }
    Identity_.clear();
    Holding_ = false;
    const TMprisReading* followed = Followed();
    if (!followed)
        return;
    // No Identity: the bus name's first part after the prefix ("mpv" of "...mpv.instance42").
    const std::string& identity = followed->identity;
    Identity_ = IsBlank(identity) ? MprisPlayerKey(followed->name) : identity; // UTF-8, converted when read
    // A track known only by its file name may be a player still reading the file's tags (mpv names the file
    // first): it is held back for a moment, for the tagged title to come.
    const auto& m = followed->state.metadata;
    if (followed->state.playbackStatus != "Stopped" && MprisTitleIsFileName(m)) {
        const std::string track = m.trackId + '\n' + m.url;
        const std::uint32_t now = Clock_.TickCount();
        if (track != NameOnlyTrack_) {
            NameOnlyTrack_ = track;
            NameOnlySince_ = now;
        }
        Holding_ = now - NameOnlySince_ < kNameOnlyHoldMs;
    } else {
        NameOnlyTrack_.clear();
    }
}

const TMprisReading* TMprisI::Followed() const {
    if (Player_.empty())
        return nullptr;
    const auto it = std::find_if(Players_.begin(), Players_.end(),
                                 [&](const TMprisReading& r) { return r.name == Player_; });
    return it == Players_.end() ? nullptr : &*it;
}

std::string TMprisI::Identity() const {
    return ToActive(Identity_);
}

bool TMprisI::IsAlive() const {
    return Followed() != nullptr;
}

std::vector<TMprisI::TPlayerItem> TMprisI::Players() const {
    std::vector<TPlayerItem> items;
    for (const auto& p : Players_) {
        const std::string key = MprisPlayerKey(p.name);
        auto same =
            std::find_if(items.begin(), items.end(), [&](const TPlayerItem& i) { return i.key == key; });
        if (same == items.end()) {
            items.push_back({key, ToActive(IsBlank(p.identity) ? key : p.identity), false});
            same = items.end() - 1;
        }
        same->followed = same->followed || p.name == Player_;
    }
    return items;
}

std::string TMprisI::Title() const {
    const TMprisReading* followed = Followed();
    return followed ? ToActive(MprisTitle(followed->state)) : std::string();
}

std::string TMprisI::FileName() const {
    const TMprisReading* followed = Followed();
    // A path, used as the file system's own bytes.
    return followed ? MprisFileName(followed->state.metadata.url) : std::string();
}

std::int32_t TMprisI::LengthSeconds() const {
    const TMprisReading* followed = Followed();
    return followed ? ClampMs(followed->state.metadata.lengthUs / 1000000) : 0;
}

bool TMprisI::Answered() const {
    const TMprisReading* followed = Followed();
    return followed && followed->answered;
}

bool TMprisI::HasPosition() const {
    const TMprisReading* followed = Followed();
    return followed && followed->state.hasPosition;
}

std::int32_t TMprisI::PositionMsAt(std::uint32_t now) const {
    const TMprisReading* followed = Followed();
    return followed ? ClampMs(MprisPositionUsAt(*followed, now) / 1000) : 0;
}

std::int32_t TMprisI::ToldPositionMs() const {
    const TMprisReading* followed = Followed();
    return followed && followed->state.hasPosition ? ClampMs(followed->state.positionUs / 1000) : 0;
}

double TMprisI::Rate() const {
    const TMprisReading* followed = Followed();
    return followed ? MprisRate(followed->state) : 1;
}

bool TMprisI::Running() const {
    const TMprisReading* followed = Followed();
    if (!followed)
        return false;
    const std::string& status = followed->state.playbackStatus;
    return status != "Paused" && status != "Stopped" && MprisRate(followed->state) > 0;
}

std::uint64_t TMprisI::Seeks() const {
    const TMprisReading* followed = Followed();
    return followed ? followed->seeks : 0;
}

std::uint64_t TMprisI::Readings() const {
    const TMprisReading* followed = Followed();
    return followed ? followed->readings : 0;
}

void TMprisI::Post(TMprisCommand command) {
    if (!Bus_ || Player_.empty())
        return;
    command.player = Player_;
    if (Thread_ == TBusThread::Caller) {
        Bus_->Execute(command);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(Lock_);
        if (Queue_.size() >= kMaxQueuedCommands)
            Queue_.erase(Queue_.begin());
        Queue_.push_back(std::move(command));
    }
    Media_->Wake();
}

void TMprisI::Command(TMediaCommand command) {
    TMprisCommand c;
    c.kind = TMprisCommand::TKind::Command;
    c.command = command;
    Post(std::move(c));
}

void TMprisI::ChangeVolume(double delta) {
    TMprisCommand c;
    c.kind = TMprisCommand::TKind::ChangeVolume;
    c.volumeDelta = delta;
    Post(std::move(c));
}

void TMprisI::SeekBy(std::int32_t offsetMs) {
    TMprisCommand c;
    c.kind = TMprisCommand::TKind::SeekBy;
    c.us = std::int64_t(offsetMs) * 1000;
    Post(std::move(c));
}

void TMprisI::SeekTo(std::int32_t ms, std::int32_t currentMs) {
    TMprisCommand c;
    c.kind = TMprisCommand::TKind::SeekTo;
    c.us = std::int64_t(ms) * 1000;
    c.currentUs = std::int64_t(currentMs) * 1000;
    Post(std::move(c));
}

} // namespace player
