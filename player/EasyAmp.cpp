#include "player/EasyAmp.h"

#include "player/AmpI.h"
#include "player/QCDI.h"
#include "player/WMPI.h"

#include "lyrics/TextHelpers.h"
#include "toolkit/CodePage.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace player {

const char* const kNoPlayerTitle = "No Player Detected";
const char* const kStoppedTitle = "Stopped";

namespace {

const char* const kMediaMonkeyClass = "TFMainWindow";

// A player window's caption as text of the active code page.
std::string CaptionText(platform::IWindowSystem& windows, platform::WindowHandle window) {
    return toolkit::Utf8ToActive(windows.GetCaption(window));
}

// Most questions one GetSongLength call asks a player that does not know the length.
constexpr int kMaxLengthQuestions = 1001;
// One volume step of a player on the bus, on its 0..1 scale.
constexpr double kMprisVolumeStep = 0.05;

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// The text from the first blank (included) to the end; the whole text when it has no blank.
std::string FromFirstBlank(const std::string& text) {
    const auto blank = text.find(' ');
    return blank == std::string::npos ? text : text.substr(blank);
}

} // namespace

ampInfoT AmpInfoFor(ampKindT kind) {
    switch (kind) {
    case akWinamp:
        return {"Winamp", 5};
    case akQcd:
        return {"QCD", 1};
    case akFoobar:
        return {"Foobar", 1000};
    case akMediaMonkey:
        return {"MediaMonkey", 1};
    case akSonique:
        return {"Sonique", 1000};
    case akWmp:
        // That driver reports no position, so the pause test must not fire during a song.
        return {"WMP", 5000000};
    case akMpris:
        // These players report their position to the microsecond, and whether they play; the pause test
        // needs only to outlast the few milliseconds the clock may run ahead of a reading taken over the bus.
        return {"MPRIS", 100};
    case akNone:
        break;
    }
    return {kNoPlayerTitle, 1};
}

std::string CleanWinampCaption(const std::string& caption) {
    // The caption may scroll (rotate, with "***" between repeats); three copies always hold one whole title.
    std::string c = caption + caption + caption;
    const auto star = c.find("* ");
    if (star != std::string::npos)
        c.erase(0, star + 2);
    const auto suffix = c.find(" - Winamp");
    // Keep the blank before "- Winamp"; no suffix means no song.
    c = suffix == std::string::npos ? std::string() : c.substr(0, suffix + 1);
    c = FromFirstBlank(c); // drops the playlist number such as "12."
    return IsBlank(c) ? std::string() : c;
}

std::string CleanMediaMonkeyCaption(const std::string& caption) {
    return FromFirstBlank(caption);
}

TPlayerSession::TPlayerSession(platform::IWindowSystem& windows, platform::IClock& clock,
                               platform::IMediaSession* media, TSoniqueI* sonique, TBusThread busThread)
    : Windows_(windows), Clock_(clock), Mpris_(media, clock, busThread), Sonique_(sonique) {
    SetAmpInfo();
}

std::string TPlayerSession::GetProgramFolder() const {
    return platform::ProgramFolder();
}

bool TPlayerSession::IsWinampProtocol() const {
    return AmpKind_ == akWinamp || AmpKind_ == akFoobar || AmpKind_ == akMediaMonkey;
}

bool TPlayerSession::SoniqueRunning() {
    return Sonique_ && Sonique_->SoniqueRunning();
}

void TPlayerSession::SetAmpInfo() {
    AmpInfo_ = AmpInfoFor(AmpKind_);
    if (AmpKind_ == akMpris)
        AmpInfo_.name = Mpris_.Identity();
}

bool TPlayerSession::IsPlayerAlive() {
    switch (AmpKind_) {
    case akWinamp:
        return Windows_.FindWindowOfClass(kMediaMonkeyClass) == platform::kNoWindow && AmpRunning(Windows_) &&
               AmpQuery(Windows_, IPC_GETLISTLENGTH, 0) != 0;
    case akFoobar:
        return AmpRunning(Windows_) && AmpQuery(Windows_, IPC_GETLISTLENGTH, 0) == 0;
    case akMediaMonkey:
        return Windows_.FindWindowOfClass(kMediaMonkeyClass) != platform::kNoWindow;
    case akQcd:
        return QcdRunning(Windows_);
    case akSonique:
        return SoniqueRunning();
    case akWmp:
        return WmpRunning(Windows_);
    case akMpris:
        // The chosen player is kept while it is on the bus.
        return Mpris_.IsAlive();
    case akNone:
        break;
    }
    return false;
}

void TPlayerSession::DetectPlayer() {
    if (IsPlayerAlive())
        return;
    // In this order: Quintessential Player, Windows Media Player, Sonique, MediaMonkey, a Winamp-protocol
    // window (Winamp or foobar2000), and last the players on the session bus.
    AmpWindow_ = platform::kNoWindow;
    AmpKind_ = akNone;
    if (const WindowHandle qcd = FindQcdWindow(Windows_); qcd != platform::kNoWindow) {
        AmpKind_ = akQcd;
        AmpWindow_ = qcd;
    } else if (WmpRunning(Windows_)) {
        AmpKind_ = akWmp;
    } else if (SoniqueRunning()) {
        AmpKind_ = akSonique;
    } else if (Windows_.FindWindowOfClass(kMediaMonkeyClass) != platform::kNoWindow) {
        AmpKind_ = akMediaMonkey;
        AmpWindow_ = FindAmpWindow(Windows_);
    } else if (const WindowHandle amp = FindAmpWindow(Windows_); amp != platform::kNoWindow) {
        AmpKind_ = akWinamp;
        AmpWindow_ = amp;
        if (AmpQuery(Windows_, IPC_GETLISTLENGTH, 0) == 0 &&
            AmpQuery(Windows_, IPC_GETVERSION, 0) == kFoobarVersion)
            AmpKind_ = akFoobar;
    } else if (Mpris_.Find()) {
        AmpKind_ = akMpris;
    }
    SetAmpInfo();
}

std::string TPlayerSession::ReadSongTitle() {
    std::string title;
    switch (AmpKind_) {
    case akNone:
        return kNoPlayerTitle;
    case akWinamp:
    case akFoobar:
        if (FindAmpWindow(Windows_) == platform::kNoWindow) {
            DetectPlayer();
            return kNoPlayerTitle;
        }
        title = CleanWinampCaption(CaptionText(Windows_, AmpWindow_));
        if (title.empty())
            title = kStoppedTitle;
        break;
    case akMediaMonkey:
        if (Windows_.FindWindowOfClass(kMediaMonkeyClass) != platform::kNoWindow) {
            AmpWindow_ = FindAmpWindow(Windows_);
            title = CleanMediaMonkeyCaption(CaptionText(Windows_, AmpWindow_));
            if (title.empty())
                title = kStoppedTitle;
        }
        break;
    case akMpris:
        title = Mpris_.Title();
        break;
    case akQcd:
        title = QcdTitle(Windows_);
        // A caption with only the player's name carries no song: the song stays as it was.
        if (title == kQcdNoSongTitle)
            title = CurrentSong_.title;
        break;
    case akSonique:
        if (SoniqueRunning()) {
            title = Sonique_->SoniqueTitle();
            if (lyrics::TrimView(title) == "-")
                title.clear();
        }
        break;
    case akWmp:
        title = WmpTitle(Windows_);
        break;
    }
    if (title.empty()) {
        title = kStoppedTitle;
        DetectPlayer();
    }
    return title;
}

std::int32_t TPlayerSession::ReadSongPosition() {
    if (AmpKind_ == akMpris)
        return Mpris_.ToldPositionMs();
    if (AmpKind_ == akQcd)
        return QcdPosition(Windows_, AmpWindow_);
    if (AmpKind_ == akSonique)
        return Sonique_->SoniquePosition();
    return IsWinampProtocol() ? AmpSongPosition(Windows_, AmpWindow_) : 0;
}

std::int32_t TPlayerSession::ReadSongLength(std::int32_t fallback) {
    std::int32_t length = fallback;
    if (IsWinampProtocol())
        length = AmpSongLength(Windows_, AmpWindow_);
    else if (AmpKind_ == akMpris)
        length = Mpris_.LengthSeconds();
    else if (AmpKind_ == akQcd)
        length = QcdLength(Windows_);
    else if (AmpKind_ == akSonique)
        length = Sonique_->SoniqueLength();
    return length < 0 ? 0 : length;
}

std::string TPlayerSession::ReadSongFileName() {
    if (AmpKind_ == akWinamp || AmpKind_ == akMediaMonkey)
        return AmpPlaylistFile(Windows_, AmpWindow_);
    if (AmpKind_ == akMpris)
        return Mpris_.FileName();
    if (AmpKind_ == akSonique)
        return Sonique_->SoniqueFileName();
    return {};
}

void TPlayerSession::SongChanged() {
    DetectPlayer();
    CurrentSong_.fileName = ReadSongFileName();
    const std::uint32_t now = Clock_.TickCount();
    if (AmpKind_ == akMpris) {
        // A player on the bus tells its exact position, speed and status, so the clock starts there rather
        // than at 0: joining a song already under way does not leave the clock up to the jump threshold
        // behind.
        MprisFollow_ = Mpris_.FollowSerial();
        MprisSeeks_ = Mpris_.Seeks();
        MprisReadings_ = Mpris_.Readings();
        PositionTrusted_ = false;
        ProvisionalAnchor_ = true;
        Rate_ = Mpris_.Rate();
        Paused_ = !Mpris_.Running();
        Anchor(Mpris_.PositionMsAt(now), now);
        ReportedPosition_ = PreviousPosition_ = Mpris_.ToldPositionMs();
    } else {
        Rate_ = 1;
        Anchor(0, now);
    }
    CurrentSong_.title = ReadSongTitle();
    CurrentSong_.length = -1;
    if (Listener_)
        Listener_->UpdateSong();
}

namespace {

// Marks the session as inside a poll for the poll's duration.
class TPollScope {
public:
    explicit TPollScope(bool& inPoll) : InPoll_(inPoll), Was_(inPoll) { InPoll_ = true; }
    ~TPollScope() { InPoll_ = Was_; }
    TPollScope(const TPollScope&) = delete;
    TPollScope& operator=(const TPollScope&) = delete;

private:
    bool& InPoll_;
    bool Was_;
};

} // namespace

void TPlayerSession::PollPlayer() {
    if (AmpKind_ == akNone) {
        DetectPlayer();
        return;
    }
    TPollScope scope(InPoll_);
    // A player on the bus is taken as its driver last heard it; the steps below read from that.
    if (AmpKind_ == akMpris) {
        Mpris_.Refresh();
        if (Mpris_.IsAlive() && Mpris_.Identity() != AmpInfo_.name)
            SetAmpInfo(); // another player followed, or its name came
        // A track that may yet tell its tags is no song yet; the clock runs on meanwhile.
        if (Mpris_.Holding() && Mpris_.FollowSerial() == MprisFollow_) {
            if (!Paused_)
                CurrentSong_.position = ClockAt(Clock_.TickCount());
            return;
        }
    }
    if (CurrentSong_.length < 1)
        CurrentSong_.length = ReadSongLength(0);
    // Following another player on the bus is a song change even when it plays the same title.
    if (ReadSongTitle() != CurrentSong_.title ||
        (AmpKind_ == akMpris && Mpris_.FollowSerial() != MprisFollow_))
        SongChanged();
    if (AmpKind_ == akMpris) {
        MprisClock();
        return;
    }
    ReportedPosition_ = ReadSongPosition();

    const std::int64_t jump = std::int64_t(ReportedPosition_) - PreviousPosition_;
    if (std::llabs(jump) > kJumpThreshold) {
        CurrentSong_.position = ReportedPosition_;
        Anchor(ReportedPosition_, Clock_.TickCount());
    } else if (Paused_) {
        if (ReportedPosition_ != PreviousPosition_) {
            Paused_ = false;
            Anchor(ReportedPosition_, Clock_.TickCount());
        }
    } else {
        const std::int64_t clock = GetSongPosition();
        if (ReportedPosition_ < clock - AmpInfo_.granularity && ReportedPosition_ == PreviousPosition_ &&
            !(AmpKind_ == akWinamp && AmpIsPlaying(Windows_, AmpWindow_))) {
            Anchor(ReportedPosition_, Clock_.TickCount());
            Paused_ = true;
        }
        CurrentSong_.position = ClockAt(Clock_.TickCount());
    }
    PreviousPosition_ = ReportedPosition_;
}

void TPlayerSession::MprisClock() {
    const std::uint32_t now = Clock_.TickCount();
    if (!Mpris_.Answered()) {
        // A player that did not answer: the last state stands, and a running clock runs on.
        if (!Paused_)
            CurrentSong_.position = ClockAt(now);
        return;
    }
    const bool seeked = Mpris_.Seeks() != MprisSeeks_;
    const bool newReading = Mpris_.Readings() != MprisReadings_;
    const std::int32_t told = Mpris_.ToldPositionMs();
    if (Mpris_.HasPosition() && (seeked || (newReading && told != ReportedPosition_)))
        PositionTrusted_ = true;
    const std::int32_t clock = Paused_ ? CurrentSong_.position : ClockAt(now);
    const std::int32_t player = Mpris_.PositionMsAt(now);
    const bool running = Mpris_.Running();
    const double rate = Mpris_.Rate();
    // The clock follows the player's word: a seek it tells, a pause or resumption, a new speed; and a
    // position read from it that has drifted away from the clock, that differs from where the clock stands
    // still, or that comes after the clock was set from a position worked out from a signal.
    bool anchor = seeked || running == Paused_ || rate != Rate_;
    if (PositionTrusted_ && newReading &&
        (ProvisionalAnchor_ || std::llabs(std::int64_t(player) - clock) > kMprisDriftMs ||
         (Paused_ && !running && player != clock)))
        anchor = true;
    if (anchor) {
        // A position that is not believed leaves the clock where it stands.
        const std::int32_t at = PositionTrusted_ ? player : clock;
        ProvisionalAnchor_ = !(seeked || newReading);
        Rate_ = rate;
        Paused_ = !running;
        Anchor(at, now);
        CurrentSong_.position = at;
    } else if (!Paused_) {
        CurrentSong_.position = ClockAt(now);
    }
    MprisSeeks_ = Mpris_.Seeks();
    MprisReadings_ = Mpris_.Readings();
    PreviousPosition_ = ReportedPosition_ = told;
}

std::int32_t TPlayerSession::ClockAt(std::uint32_t now) const {
    const std::uint32_t elapsed = now - AnchorTick_;
    // At normal speed the clock is 32-bit arithmetic that wraps, like the tick count.
    if (Rate_ == 1)
        return std::int32_t(std::uint32_t(AnchorPosition_) + elapsed);
    const double position = double(AnchorPosition_) + double(elapsed) * Rate_;
    if (position >= double(INT32_MAX))
        return INT32_MAX;
    return position <= double(INT32_MIN) ? INT32_MIN : std::int32_t(std::lround(position));
}

void TPlayerSession::Anchor(std::int32_t position, std::uint32_t now) {
    AnchorPosition_ = position;
    AnchorTick_ = now;
}

void TPlayerSession::RereadTextsAfterCodePageChange() {
    if (AmpKind_ == akNone)
        return;
    SetAmpInfo();
    CurrentSong_.title = ReadSongTitle();
}

std::int32_t TPlayerSession::GetSongPosition() {
    if (AmpKind_ == akNone)
        return 0;
    if (AmpKind_ == akMpris) {
        // A player on the bus is never asked here: when its driver has heard something new (a seek, a
        // pause, a new song), the clock read polls, which takes what was heard without waiting.
        if (!InPoll_ && Mpris_.HasNews())
            PollPlayer();
        if (AmpKind_ == akMpris && !Paused_)
            CurrentSong_.position = ClockAt(Clock_.TickCount());
        return CurrentSong_.position;
    }
    // While paused, a clock read polls the player to notice the resumption at once.
    if (Paused_)
        PollPlayer();
    else
        CurrentSong_.position = ClockAt(Clock_.TickCount());
    return CurrentSong_.position;
}

std::int32_t TPlayerSession::GetSongLength() {
    if (AmpKind_ == akNone)
        return 0;
    auto inMs = [this] { return std::int64_t(CurrentSong_.length) * 1000; };
    for (int asked = 0; inMs() <= 0 && asked < kMaxLengthQuestions; ++asked) {
        // The fallback keeps its 32-bit meaning for kinds that cannot tell the length.
        const std::int64_t fallback = inMs();
        CurrentSong_.length = ReadSongLength(fallback < INT32_MIN ? INT32_MIN : std::int32_t(fallback));
    }
    const std::int64_t ms = inMs();
    if (ms <= 0)
        return 0;
    return ms > INT32_MAX ? INT32_MAX : std::int32_t(ms);
}

std::string TPlayerSession::GetSongTitle() const {
    return AmpKind_ == akNone ? std::string(kNoPlayerTitle) : CurrentSong_.title;
}

// Transport.

void TPlayerSession::PlayFirst() {
    if (!AmpIsPlaying(Windows_, AmpWindow_))
        PlayerPlay();
}

void TPlayerSession::PlayerPlay() {
    if (AmpKind_ == akQcd) {
        QcdStop(Windows_);
        QcdPlay(Windows_);
    } else if (AmpKind_ == akSonique) {
        Sonique_->SoniqueStop();
        Sonique_->SoniquePlay();
    } else if (AmpKind_ == akWmp) {
        WmpPlay(Windows_);
    } else if (IsWinampProtocol())
        AmpCommand(Windows_, AMP_PLAY);
    else if (AmpKind_ == akMpris)
        Mpris_.Command(platform::TMediaCommand::Play);
}

void TPlayerSession::PlayerPause() {
    if (AmpKind_ == akQcd)
        QcdPause(Windows_);
    else if (AmpKind_ == akSonique)
        Sonique_->SoniquePause();
    else if (IsWinampProtocol())
        AmpCommand(Windows_, AMP_PAUSE);
    else if (AmpKind_ == akMpris)
        Mpris_.Command(platform::TMediaCommand::PlayPause); // toggles, like the Winamp pause command
}

void TPlayerSession::PlayerStop() {
    if (AmpKind_ == akQcd)
        QcdStop(Windows_);
    else if (AmpKind_ == akSonique)
        Sonique_->SoniqueStop();
    else if (IsWinampProtocol())
        AmpCommand(Windows_, AMP_STOP);
    else if (AmpKind_ == akMpris)
        Mpris_.Command(platform::TMediaCommand::Stop);
}

void TPlayerSession::PlayerNext() {
    if (AmpKind_ == akQcd)
        QcdNext(Windows_);
    else if (AmpKind_ == akSonique)
        Sonique_->SoniqueNext();
    else if (IsWinampProtocol())
        AmpCommand(Windows_, AMP_NEXT);
    else if (AmpKind_ == akMpris)
        Mpris_.Command(platform::TMediaCommand::Next);
}

void TPlayerSession::PlayerPrev() {
    if (AmpKind_ == akQcd)
        QcdPrev(Windows_);
    else if (AmpKind_ == akSonique)
        Sonique_->SoniquePrev();
    else if (IsWinampProtocol())
        AmpCommand(Windows_, AMP_PREV);
    else if (AmpKind_ == akMpris)
        Mpris_.Command(platform::TMediaCommand::Previous);
}

void TPlayerSession::PlayerVolumeUp() {
    if (AmpKind_ == akQcd)
        QcdVolumeUp(Windows_);
    else if (AmpKind_ == akSonique)
        Sonique_->SoniqueVolumeUp();
    else if (AmpKind_ == akWmp)
        WmpVolumeUp(Windows_);
    if (AmpKind_ == akMpris)
        Mpris_.ChangeVolume(kMprisVolumeStep);
    if (!IsWinampProtocol())
        return;
    // MediaMonkey's volume steps are a third of Winamp's.
    const int steps = AmpKind_ == akMediaMonkey ? 3 : 1;
    for (int i = 0; i < steps; ++i)
        AmpCommand(Windows_, AMP_VOLUME_UP);
}

void TPlayerSession::PlayerVolumeDown() {
    if (AmpKind_ == akQcd)
        QcdVolumeDown(Windows_);
    else if (AmpKind_ == akSonique)
        Sonique_->SoniqueVolumeDown();
    else if (AmpKind_ == akWmp)
        WmpVolumeDown(Windows_);
    if (AmpKind_ == akMpris)
        Mpris_.ChangeVolume(-kMprisVolumeStep);
    if (!IsWinampProtocol())
        return;
    const int steps = AmpKind_ == akMediaMonkey ? 3 : 1;
    for (int i = 0; i < steps; ++i)
        AmpCommand(Windows_, AMP_VOLUME_DOWN);
}

void TPlayerSession::PlayerForward5s() {
    if (AmpKind_ == akQcd) {
        QcdForward5s(Windows_);
    } else if (AmpKind_ == akMpris) {
        Mpris_.SeekBy(5000);
    } else if (AmpKind_ == akMediaMonkey) {
        PlayerSeek(GetSongPosition() + 5000);
    } else if (AmpKind_ == akWinamp || AmpKind_ == akFoobar) {
        PlayFirst();
        AmpCommand(Windows_, AMP_FORWARD_5S);
    }
}

void TPlayerSession::PlayerBack5s() {
    if (AmpKind_ == akQcd) {
        QcdBack5s(Windows_);
    } else if (AmpKind_ == akMpris) {
        Mpris_.SeekBy(-5000);
    } else if (AmpKind_ == akMediaMonkey) {
        PlayerSeek(GetSongPosition() - 5000);
    } else if (AmpKind_ == akWinamp || AmpKind_ == akFoobar) {
        PlayFirst();
        AmpCommand(Windows_, AMP_BACK_5S);
    }
}

void TPlayerSession::PlayerSeek(std::int32_t ms) {
    if (AmpKind_ == akQcd)
        QcdSeek(Windows_, ms);
    if (AmpKind_ == akMpris)
        Mpris_.SeekTo(ms, GetSongPosition());
    if (!IsWinampProtocol())
        return;
    PlayFirst();
    AmpIpc(Windows_, AmpWindow_, IPC_JUMPTOTIME, ms);
}

void TPlayerSession::PlayerJumpToFile() {
    if (AmpKind_ == akQcd) {
        QcdShow(Windows_);
    } else if (AmpKind_ == akSonique) {
        Windows_.BringToTop(Windows_.FindWindowOfClass(kSoniqueWindowClass));
        Sonique_->SoniqueJump();
    } else if (AmpKind_ == akWinamp || AmpKind_ == akFoobar) {
        Windows_.BringToTop(FindAmpWindow(Windows_));
        AmpCommand(Windows_, AMP_JUMP_TO_FILE);
    } else if (AmpKind_ == akMediaMonkey) {
        Windows_.BringToTop(Windows_.FindWindowOfClass(kMediaMonkeyClass));
    } else if (AmpKind_ == akMpris) {
        Mpris_.Command(platform::TMediaCommand::Raise);
    }
}

} // namespace player
