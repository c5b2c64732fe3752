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

const char* const kPlayerPrefix = "org.mpris.MediaPlayer2.";
// The track id players give when there is no track.
const char* const kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

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

// The last path segment of a URL without its extension, percent-decoded.
std::string UrlStem(const std::string& url) {
    std::string path = MprisFileName(url);
    if (path.empty()) {
        path = url.substr(0, url.find_first_of("?#"));
        path = PercentDecoded(path);
    }
    const auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
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

std::string MprisTitle(const platform::TMediaPlayerState& state) {
    if (state.playbackStatus == "Stopped")
        return kStoppedTitle;
    const platform::TMediaMetadata& m = state.metadata;
    if (!IsBlank(m.title))
        return IsBlank(m.artist) ? m.title : m.artist + " - " + m.title;
    return UrlStem(m.url);
}

TMprisI::TMprisI(platform::IMediaSession* media, platform::IClock& clock) : Media_(media), Clock_(clock) {}

bool TMprisI::Find() {
    Player_.clear();
    Identity_.clear();
    State_ = {};
    Answered_ = Gone_ = Quiet_ = false;
    if (!Media_)
        return false;
    const auto players = Media_->ListPlayers();
    if (players.empty())
        return false;
    Player_ = players.front();
    for (const auto& name : players) {
        std::string status;
        if (Media_->PlaybackStatus(name, status) == TMediaCall::Ok && status == "Playing") {
            Player_ = name;
            break;
        }
    }
    std::string identity;
    if (Media_->Identity(Player_, identity) != TMediaCall::Ok || IsBlank(identity)) {
        // No Identity: the bus name's first part after the prefix ("mpv" of "...mpv.instance42").
        identity = Player_.substr(std::string(kPlayerPrefix).size());
        identity = identity.substr(0, identity.find('.'));
    }
    Identity_ = identity; // UTF-8; converted when read, so a change of the code page shows at once
    Refresh();
    return true;
}

std::string TMprisI::Identity() const {
    return ToActive(Identity_);
}

bool TMprisI::IsAlive() {
    return Media_ && !Player_.empty() && Media_->IsPlayerPresent(Player_);
}

void TMprisI::Refresh() {
    if (!Media_ || Player_.empty())
        return;
    const std::uint32_t now = Clock_.TickCount();
    if (Quiet_ && std::int32_t(now - QuietUntil_) < 0)
        return;
    Quiet_ = false;
    platform::TMediaPlayerState state;
    switch (Media_->ReadState(Player_, state)) {
    case TMediaCall::Ok:
        State_ = std::move(state);
        Answered_ = true;
        Gone_ = false;
        break;
    case TMediaCall::NoPlayer:
        Answered_ = false;
        Gone_ = true;
        break;
    case TMediaCall::TimedOut:
        Quiet_ = true;
        QuietUntil_ = Clock_.TickCount() + kQuietMs;
        Answered_ = false;
        break;
    case TMediaCall::Failed:
        Answered_ = false;
        break;
    }
}

std::string TMprisI::Title() const {
    if (Player_.empty() || Gone_)
        return {};
    return ToActive(MprisTitle(State_));
}

std::string TMprisI::FileName() const {
    if (Player_.empty() || Gone_)
        return {};
    return MprisFileName(State_.metadata.url); // a path, used as the file system's own bytes
}

std::int32_t TMprisI::PositionMs() const {
    return State_.hasPosition ? ClampMs(State_.positionUs / 1000) : 0;
}

std::int32_t TMprisI::LengthSeconds() const {
    return ClampMs(State_.metadata.lengthUs / 1000000);
}

bool TMprisI::IsPlaying() const {
    return !Answered_ || !State_.hasPosition || State_.playbackStatus == "Playing";
}

void TMprisI::Command(TMediaCommand command) {
    if (Media_ && !Player_.empty())
        Media_->Command(Player_, command);
}

void TMprisI::ChangeVolume(double delta) {
    if (!Media_ || Player_.empty())
        return;
    double volume = State_.volume;
    if (Media_->Volume(Player_, volume) != TMediaCall::Ok && !State_.hasVolume)
        return;
    // A volume above 1 (some players amplify) is not cut down by a step up.
    const double target =
        delta > 0 ? std::min(volume + delta, std::max(volume, 1.0)) : std::max(volume + delta, 0.0);
    Media_->SetVolume(Player_, target);
}

void TMprisI::SeekBy(std::int32_t offsetMs) {
    if (Media_ && !Player_.empty())
        Media_->Seek(Player_, std::int64_t(offsetMs) * 1000);
}

void TMprisI::SeekTo(std::int32_t ms, std::int32_t currentMs) {
    if (!Media_ || Player_.empty())
        return;
    const std::int64_t target = std::max<std::int64_t>(ms, 0) * 1000;
    const std::string& track = State_.metadata.trackId;
    if (!track.empty() && track != kNoTrack)
        Media_->SetPosition(Player_, track, target);
    else
        Media_->Seek(Player_, target - std::int64_t(currentMs) * 1000);
}

} // namespace player
