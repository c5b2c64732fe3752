#include "display/UMain.h"

#include "config/USettings.h"
#include "config/ui/USettingsDialog.h"
#include "database/ui/UUploadLyric.h"
#include "display/DisplayInput.h"
#include "display/MainScene.h"
#include "display/UActiveText.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/USceneLook.h"
#include "display/UVisualization.h"
#include "display/UWinampSkin.h"
#include "display/scene/GLSceneViewer.h"
#include "lyrics/TEditorPanes.h"
#include "lyrics/TextHelpers.h"
#include "lyrics/ULrcOffset.h"
#include "platform/AgentChannel.h"
#include "platform/Platform.h"
#include "toolkit/FileBytes.h"
#include "toolkit/FormPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace display {

namespace {

const char* const kAgentNotRunning = "[CantrelAgent not running]";
const char* const kDownloading = "Downloading..";
// The live offset's step and its bounds (ms).
constexpr std::int32_t kOffsetStep = 100;
constexpr std::int32_t kMaxOffset = 600000;
// Shown under the title when it names no song in the character set (every character became "?").
const char* const kNoUsableSongName = "No lyrics: the title names no song in this character set";
const char* const kErrorConnecting = "Error Connecting";
const char* const kSubmitLyric = "Submit Lyric..";
const char* const kSubmitCorrection = "Submit Correction..";
const char* const kFormSection = "TFormCantrel";
constexpr std::uint32_t kPollMs = 100;    // the player poll
constexpr std::uint32_t kPollSlackMs = 5; // how early the poll timer may fire and still poll
constexpr int kAnimationFrameMs = 16;     // frames while buttons turn
constexpr int kEditFrameMs = 40;          // frames of the edit view while the song plays
constexpr std::int64_t kClockJumpMs = 20; // a song clock moved by more than this was set anew
constexpr std::int64_t kLongestFrameWaitMs = 3600000;

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Creation, first showing, closing

TFormCantrel::TFormCantrel(TMainWindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), Services_(std::move(services)),
      Session_(*Services_.Session), Clock_(*Services_.Clock), SongInfo_(Session_), Mp3Tag_(SongInfo_, this),
      Agent_(*Services_.AgentChannel) {
    setObjectName("FormCantrel");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kDesignWidth, kDesignHeight);
    setFont(QFont("MS Sans Serif", 8));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // Creation in its order: the cancel list, the settings, the lookup, the document (members), the scene,
    // the display engine, the frame.
    Settings_ = std::make_unique<config::TSettings>(*this, CancelList_, UploadList_, Services_.ProgramFolder,
                                                    Services_.UserDataFolder, Services_.Separator);
    // The submission's questions about songs; its dialog comes with its own window.
    UploadLyric_ = std::make_unique<database::TUploadLyric>(Lyrics_, *Settings_, UploadList_, *this, this);
    // The preferences dialog, hidden until asked for; it shows the settings as the store changes them.
    Preferences_ = new config::TFormSettings(*Settings_, *this, this);
    PreferencesView_ = Preferences_;
    Scene_ = std::make_unique<TMainScene>(Clock_);
    GLSceneViewerMain_ = new TGLSceneViewer(Clock_, this);
    GLSceneViewerMain_->setObjectName("GLSceneViewerMain");
    GLSceneViewerMain_->setFocusPolicy(Qt::NoFocus);
    GLSceneViewerMain_->SetScene(&Scene_->GLSceneTextNoTimestamp);
    GLSceneViewerMain_->SetCamera(Scene_->GLCameraTextNoTimestamp);
    Scene_->SetTextMeasure(&GLSceneViewerMain_->GlyphCache());
    PlaceSceneViewer();
    DisplayEngine_ = std::make_unique<TDisplayTextNoTimestamp>(*Scene_, GLSceneViewerMain_->View(), Lyrics_,
                                                               *Settings_, Session_, Scroll_, *this);
    // The timing editor and its tags dialog, hidden until the edit view is entered.
    editor::TEditorServices editorServices;
    editorServices.Session = &Session_;
    editorServices.Document = &Lyrics_;
    editorServices.Host = this;
    editorServices.Texts = {Scene_->GLHUDTextEditLyricLyrics, Scene_->GLHUDTextEditTime,
                            Scene_->GLHUDTextEditSong,        Scene_->GLHUDTextEditSaveTo,
                            Scene_->GLHUDTextLength,          Scene_->GLHUDTextEditExit};
    editorServices.Separator = Services_.Separator;
    editorServices.HelpAddress = EditorHelpAddress();
    Editor_ = editor::CreateEditor(editorServices, this);
    // The submission window.
    UploadLyricDialog_ = new database::ui::TUploadLyric(*UploadLyric_, *Settings_, *this, this);

    connect(GLSceneViewerMain_, &TGLSceneViewer::MouseDown, this,
            [this](Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                   int y) {
                DisplayEngine_->MouseDown(MouseButtonOf(button), ShiftStateOf(modifiers, buttons | button), x,
                                          y);
            });
    connect(GLSceneViewerMain_, &TGLSceneViewer::MouseMove, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
                DisplayEngine_->MouseMove(ShiftStateOf(modifiers, buttons), x, y);
            });
    connect(GLSceneViewerMain_, &TGLSceneViewer::MouseUp, this,
            [this](Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
                SceneMouseUp(button, x, y);
            });
    connect(GLSceneViewerMain_, &TGLSceneViewer::DoubleClick, this,
            [this](int, int) { DisplayEngine_->DoubleClick(); });

    // The playback buttons turn by their own frame handlers.
    const auto buttons = Scene_->Buttons();
    for (int i = 0; i < int(buttons.size()); ++i)
        buttons[std::size_t(i)]->OnProgress = [this, i](toolkit::TGLBaseSceneObject&, double deltaTime,
                                                        double) { ButtonProgress(i, deltaTime); };

    CreateActions();
    CreatePopupMenu();

    TimerAfterLoaded.setInterval(1000);
    TimerAfterLoaded.setSingleShot(true);
    connect(&TimerAfterLoaded, &QTimer::timeout, this, [this] { TimerAfterLoadedTimer(); });
    TimerResizeEvent.setInterval(80);
    TimerResizeEvent.setSingleShot(true);
    connect(&TimerResizeEvent, &QTimer::timeout, this, [this] { TimerResizeEventTimer(); });
    TimerHideDownlaodLabel.setInterval(2000);
    TimerHideDownlaodLabel.setSingleShot(true);
    connect(&TimerHideDownlaodLabel, &QTimer::timeout, this, [this] {
        Scene_->GLHUDTextNoTimestampDownloading->Visible = false;
        RedrawIfChanged();
    });
    TimerHideReminder.setInterval(10000);
    TimerHideReminder.setSingleShot(true);
    connect(&TimerHideReminder, &QTimer::timeout, this, [this] {
        Scene_->GLHUDTextReminder->Visible = false;
        RedrawIfChanged();
    });
    TimerAllowScroll.setInterval(2000);
    TimerAllowScroll.setSingleShot(true);
    // Automatic scrolling and the fades take over again at once.
    connect(&TimerAllowScroll, &QTimer::timeout, this, [this] { AdvanceSceneClock(); });
    TimerUpdateFPS.setInterval(1000);
    connect(&TimerUpdateFPS, &QTimer::timeout, this, [this] { TimerUpdateFPSTimer(); });

    ViewMode_ = 0;
    Visualization_ =
        std::make_unique<TCubeVisualization>(3, *Scene_->GLDummyCubeVisualization, Clock_, *Settings_);
    Frame_ = new TWASkin(Session_, *this, Scroll_, this);
    Frame_->AttachFrame(this);
    Scene_->GLDummyCubeVisualization->TagFloat = 62;

    PanelLoading_ = new QWidget(this);
    PanelLoading_->setObjectName("PanelLoading");
    PanelLoading_->setAutoFillBackground(true);
    PanelLoading_->setPalette(black);
    auto* loading = new QLabel("\n\nLoading..", PanelLoading_);
    QFont loadingFont("Lucida Console");
    loadingFont.setPixelSize(27);
    loading->setFont(loadingFont);
    loading->setStyleSheet("color: rgb(128, 0, 0);");
    loading->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(PanelLoading_);
    layout->addWidget(loading);
    PanelLoading_->setGeometry(rect());
    PanelLoading_->raise();

    RestoreFormPlacement();

    Agent_.Listen(*this);
    if (Services_.AgentChannel->EventHandle() >= 0) {
        AgentNotifier_ =
            new QSocketNotifier(Services_.AgentChannel->EventHandle(), QSocketNotifier::Read, this);
        connect(AgentNotifier_, &QSocketNotifier::activated, this,
                [this] { Services_.AgentChannel->ProcessPending(); });
    }
    if (!Agent_.Start(Services_.ProgramFolder, Services_.Separator)) {
        Scene_->GLHUDTextNoTimestampDownloading->Text = "Search Agent not found";
        TimerHideDownlaodLabel.start();
    }

    Session_.SetSongChangeListener(this);
    Session_.SetPlayerNewsListener(this);
    Session_.DetectPlayer();
    TimerAfterLoaded.start();
}

TFormCantrel::~TFormCantrel() {
    Session_.SetPlayerNewsListener(nullptr);
    Session_.SetSongChangeListener(nullptr);
    if (PollTimer_) {
        PollTimer_->stop();
        FrameTimer_->stop();
    }
    Agent_.StopListening();
    // The dialog goes while the store it calls is still there.
    PreferencesView_ = nullptr;
    delete Preferences_;
    Preferences_ = nullptr;
    // The editor, the frame and the scene view go before the objects they draw (the scroll state, the scene
    // and its fonts), which are members and would otherwise be freed first.
    delete UploadLyricDialog_;
    UploadLyricDialog_ = nullptr;
    delete Editor_;
    Editor_ = nullptr;
    delete Frame_;
    Frame_ = nullptr;
    delete GLSceneViewerMain_;
    GLSceneViewerMain_ = nullptr;
}

void TFormCantrel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!Shown_) {
        Shown_ = true;
        FormShow();
    }
}

void TFormCantrel::FormShow() {
    Frame_->LoadSkin(QImage(":/skin/ModernSkin.png"));
    Settings_->LoadSettings();
    SetViewMode(1);
    Frame_->HideScrollBar();
    TimerResizeEvent.setInterval(300);
    TimerResizeEvent.start();
    Frame_->SetBordersActive();
    PanelLoading_->hide();
    if (lyrics::TrimView(Settings_->Username()).empty()) {
        Scene_->GLHUDTextReminder->Visible = true;
        TimerHideReminder.start();
    }
    PollTimer_ = new QTimer(this);
    PollTimer_->setTimerType(Qt::PreciseTimer);
    PollTimer_->setInterval(kPollMs);
    connect(PollTimer_, &QTimer::timeout, this, [this] { GuardedLoopStep(true); });
    FrameTimer_ = new QTimer(this);
    FrameTimer_->setTimerType(Qt::PreciseTimer);
    FrameTimer_->setSingleShot(true);
    connect(FrameTimer_, &QTimer::timeout, this, [this] { GuardedLoopStep(false); });
    if (!LoopFailed_) {
        PollTimer_->start();
        FrameTimer_->start(0);
    }
}

void TFormCantrel::closeEvent(QCloseEvent* event) {
    // A submission under way ends at once, its dialog with it.
    UploadLyricDialog_->AbortForClose();
    Settings_->SaveSettings();
    Agent_.Close();
    SaveFormPlacement();
    if (PollTimer_) {
        PollTimer_->stop();
        FrameTimer_->stop();
    }
    event->accept();
}

std::string TFormCantrel::FormSettingsFileName() const {
    const std::string folder = Settings_->SettingsFolder().empty()
                                   ? Services_.ProgramFolder + "Cantrel" + Services_.Separator
                                   : Settings_->SettingsFolder();
    return folder + "FormSettings.ini";
}

void TFormCantrel::RestoreFormPlacement() {
    // Before the settings are loaded their folder is not known yet: the program's own folder first, then
    // the user's, as the settings store chooses.
    std::optional<toolkit::TFormPlacement> placement = toolkit::LoadFormPlacement(
        Services_.ProgramFolder + "Cantrel" + Services_.Separator + "FormSettings.ini", kFormSection,
        kMinWidth, kMinHeight);
    if (!placement && !Services_.UserDataFolder.empty()) {
        std::string folder = Services_.UserDataFolder;
        if (folder.back() != Services_.Separator && folder.back() != '/')
            folder += Services_.Separator;
        placement = toolkit::LoadFormPlacement(folder + "Cantrel" + Services_.Separator + "FormSettings.ini",
                                               kFormSection, kMinWidth, kMinHeight);
    }
    if (!placement)
        return;
    // A window stored off every screen would be out of reach: it keeps its default place then.
    QRect rect(placement->Left, placement->Top, placement->Width, placement->Height);
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        onScreen =
            onScreen || screen->availableGeometry().intersects(rect.adjusted(0, 0, 0, -rect.height() + 20));
    if (onScreen)
        move(rect.topLeft());
    resize(rect.size());
    if (placement->Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TFormCantrel::SaveFormPlacement() {
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    if (!normal.isValid())
        return;
    toolkit::SaveFormPlacement(FormSettingsFileName(), kFormSection,
                               {normal.x(), normal.y(), normal.width(), normal.height(), isMaximized()});
}

// ---------------------------------------------------------------------------------------------------------
// Display loop and timers

void TFormCantrel::DisplayLoopStep() {
    const std::uint32_t now = Clock_.TickCount();
    if (now - LastPollTick_ > kPollMs) {
        LastPollTick_ = now;
        Session_.PollPlayer();
    }
    Scene_->GLCadencer1.Progress();
    LastSongClock_ = SongClock();
    // The visualization: stepped only while it is shown, never in the Minimal mode; hidden, it costs nothing.
    if (VisualizationShown())
        Visualization_->Update();
    // In the edit view the editor follows the play position.
    if (ViewMode_ == 3)
        Editor_->UpdatePlayback();
    RedrawIfChanged();
    ScheduleNextFrame();
}

bool TFormCantrel::VisualizationShown() const {
    return Visualization_ && Settings_->ShowVisualization() && Settings_->DisplayMode() != 1;
}

TFormCantrel::TSongClock TFormCantrel::SongClock() const {
    const player::currentSongT& song = Session_.CurrentSong();
    // A running clock is kept as its start: the tick count at which the song stood at 0.
    const std::int64_t base =
        Session_.Paused() ? song.position : std::int64_t(Clock_.TickCount()) - std::int64_t(song.position);
    return {int(Session_.AmpKind()), Session_.Paused(), song.title, base};
}

bool TFormCantrel::SongClockMoved() const {
    const TSongClock now = SongClock();
    return now.Kind != LastSongClock_.Kind || now.Paused != LastSongClock_.Paused ||
           now.Title != LastSongClock_.Title || std::abs(now.Base - LastSongClock_.Base) > kClockJumpMs;
}

void TFormCantrel::ScheduleNextFrame() {
    if (!FrameTimer_ || LoopFailed_)
        return;
    int delay = -1;
    // Turning buttons move with every frame.
    if (Settings_->AnimateButtons())
        for (const toolkit::TGLTorus* button : Scene_->Buttons())
            if (button->Tag == 1 && button->Visible)
                delay = kAnimationFrameMs;
    // The visualization moves by itself while it is shown: a frame at each row shift.
    if (VisualizationShown()) {
        const int ms = std::max(kAnimationFrameMs, Settings_->UpdateTimeMs());
        delay = delay < 0 ? ms : std::min(delay, ms);
    }
    // The edit view's play clock (hundredths) and current line move while the song plays.
    if (ViewMode_ == 3 && Session_.AmpKind() != player::akNone && !Session_.Paused())
        delay = delay < 0 ? kEditFrameMs : std::min(delay, kEditFrameMs);
    // The lyrics change by themselves only while the song clock runs.
    const std::int64_t next = ViewMode_ == 1 ? DisplayEngine_->NextChangePosition() : -1;
    if (next >= 0 && Session_.AmpKind() != player::akNone && !Session_.Paused()) {
        const std::int64_t wait = next - Session_.GetSongPosition(); // a running clock: no poll
        const int ms = int(std::clamp<std::int64_t>(wait, 1, kLongestFrameWaitMs));
        delay = delay < 0 ? ms : std::min(delay, ms);
    }
    if (delay < 0)
        FrameTimer_->stop();
    else
        FrameTimer_->start(delay);
}

int TFormCantrel::FrameWaitMs() const {
    return FrameTimer_ && FrameTimer_->isActive() ? FrameTimer_->interval() : -1;
}

void TFormCantrel::RedrawIfChanged() {
    const toolkit::TGLScene* scene = ViewMode_ == 3 ? &Scene_->GLSceneEdit : &Scene_->GLSceneTextNoTimestamp;
    const toolkit::TGLCamera* camera =
        ViewMode_ == 3 ? Scene_->GLCameraEdit : Scene_->GLCameraTextNoTimestamp;
    const std::uint64_t look = SceneLook(*scene, camera, GLSceneViewerMain_->View().BackgroundColor);
    if (look == LastSceneLook_)
        return;
    LastSceneLook_ = look;
    GLSceneViewerMain_->update();
}

void TFormCantrel::GuardedLoopStep(bool poll) {
    if (LoopFailed_)
        return;
    try {
        // The poll timer's step polls when the clock says its 100 ms are (nearly) over; a timer may fire a
        // little early.
        if (poll && Clock_.TickCount() - LastPollTick_ >= kPollMs - kPollSlackMs) {
            LastPollTick_ = Clock_.TickCount();
            Session_.PollPlayer();
        }
        // While frames are scheduled for the motion, a poll step draws a frame only when the song clock
        // jumped (a seek, a pause, another song): the motion between two scheduled frames is too small to
        // see, and drawing it would only add frames. Changes made by events are drawn in any case.
        if (!poll || !FrameScheduled() || SongClockMoved()) {
            DisplayLoopStep();
        } else {
            RedrawIfChanged();
            ScheduleNextFrame(); // new lyrics may have come with this step
        }
    } catch (...) {
        StopDisplayLoopForGood();
    }
}

void TFormCantrel::StopDisplayLoopForGood() {
    // A failure in the loop stops it for the rest of the run; the window stays open.
    LoopFailed_ = true;
    if (PollTimer_) {
        PollTimer_->stop();
        FrameTimer_->stop();
    }
}

bool TFormCantrel::DisplayLoopRunning() const {
    return PollTimer_ && PollTimer_->isActive() && !LoopFailed_;
}

bool TFormCantrel::FrameScheduled() const {
    return FrameTimer_ && FrameTimer_->isActive();
}

void TFormCantrel::TimerAfterLoadedTimer() {
    TimerAfterLoaded.stop();
    if (!LoopFailed_) {
        try {
            DisplayLoopStep();
        } catch (...) {
        }
    }
    if (Session_.AmpKind() == player::akNone)
        UpdateSong();
}

void TFormCantrel::TimerResizeEventTimer() {
    RunResizeHandling();
    TimerResizeEvent.setInterval(80);
    TimerResizeEvent.stop();
}

void TFormCantrel::TimerUpdateFPSTimer() {
    char text[64];
    std::snprintf(text, sizeof text, "FPS:%3.2f", GLSceneViewerMain_->FramesPerSecond());
    Scene_->GLHUDTextNoTimestampFPS->Text = text;
    GLSceneViewerMain_->ResetPerformanceMonitor();
    RedrawIfChanged();
}

void TFormCantrel::SetFpsTimerRunning(bool running) {
    if (running)
        TimerUpdateFPS.start();
    else
        TimerUpdateFPS.stop();
}

void TFormCantrel::AdvanceSceneClock() {
    // Keys, the mouse and layout advance the clock outside the loop's timers; a failure there stops the
    // loop just the same instead of escaping into the event loop.
    if (LoopFailed_)
        return;
    try {
        Scene_->GLCadencer1.Progress();
        RedrawIfChanged();
        ScheduleNextFrame();
    } catch (...) {
        StopDisplayLoopForGood();
    }
}

// ---------------------------------------------------------------------------------------------------------
// Views and layout

bool TFormCantrel::SetViewMode(int mode) {
    if (mode == ViewMode_ || (mode != 1 && mode != 3))
        return false;
    if (mode == 1) {
        GLSceneViewerMain_->SetScene(&Scene_->GLSceneTextNoTimestamp);
        GLSceneViewerMain_->SetCamera(Scene_->GLCameraTextNoTimestamp);
        Scene_->GLCadencer1.Scene = &Scene_->GLSceneTextNoTimestamp;
        Scene_->GLCadencer1.OnProgress = [this](double deltaTime, double newTime) {
            DisplayEngine_->UpdateFrame(deltaTime, newTime);
        };
    } else {
        // The edit view belongs to the timing editor, which fills it, handles its resizing and pauses the
        // player at the song's end.
        GLSceneViewerMain_->SetScene(&Scene_->GLSceneEdit);
        GLSceneViewerMain_->SetCamera(Scene_->GLCameraEdit);
        Scene_->GLCadencer1.Scene = &Scene_->GLSceneEdit;
        Scene_->GLCadencer1.OnProgress = [this](double, double) { Editor_->NearEndPause(); };
    }
    ViewMode_ = mode;
    if (mode == 3) {
        Editor_->FillFromDocument();
        Editor_->ShowEditor();
        RunResizeHandling();
    }
    return true;
}

void TFormCantrel::PlaceSceneViewer() {
    // Anchored to all four sides: 3 pixels from the top and left, the status strip below, and on the right
    // the margin the frame last gave it (wider while the scroll bar shows).
    const int w = std::max(width() - SceneViewRightMargin_, 1), h = std::max(height() - 20, 1);
    GLSceneViewerMain_->setGeometry(3, 3, w, h);
    GLSceneViewerMain_->View().Width = w;
    GLSceneViewerMain_->View().Height = h;
}

void TFormCantrel::SetSceneViewWidth(int width) {
    SceneViewRightMargin_ = this->width() - width;
    PlaceSceneViewer();
}

void TFormCantrel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceSceneViewer();
    if (PanelLoading_ && !PanelLoading_->isHidden())
        PanelLoading_->setGeometry(rect());
    RunResizeHandling();
}

void TFormCantrel::RunResizeHandling() {
    if (!DisplayEngine_)
        return;
    if (ViewMode_ == 1)
        DisplayEngine_->LayoutWindow(); // ends with MainResize
    else if (ViewMode_ == 0)
        MainResize();
    else
        Editor_->EditViewResize(); // ends with MainResize
}

void TFormCantrel::MainResize() {
    const int w = GLSceneViewerMain_->View().Width, h = GLSceneViewerMain_->View().Height;
    Scene_->GLCameraTextNoTimestamp->SceneScale =
        width() > height() ? 488.0f / float(std::max(w, 1)) : 488.0f / float(std::max(h, 1));
}

void TFormCantrel::StartDeferredResize() {
    TimerResizeEvent.start();
}

void TFormCantrel::ForceRelayout() {
    // A resize would end the maximised (or full-screen, or minimised) state, and the normal size would then
    // be lost: such a window is laid out again at the size it has.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) {
        QResizeEvent event(size(), size());
        QCoreApplication::sendEvent(this, &event);
        return;
    }
    resize(width() + 1, height());
    resize(width() - 1, height());
}

void TFormCantrel::RunResize() {
    RunResizeHandling();
}

void TFormCantrel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && Frame_)
        Frame_->SetBordersActive();
}

// ---------------------------------------------------------------------------------------------------------
// Song change pipeline and search decision

void TFormCantrel::SyncLookupSettings() {
    lyrics::TLookupSettings& s = Mp3Tag_.Settings;
    s.LyricsDir = Settings_->LyricsDir();
    s.IncludeSubDirecoriesInSearch = Settings_->IncludeSubDirecoriesInSearch();
    s.ReadTitleInfoFromTag = Settings_->ReadTitleInfoFromTag();
    s.ExcludeTextInBrackets = Settings_->ExcludeTextInBrackets();
    s.RemoveTrackNumber = Settings_->RemoveTrackNumber();
    s.SearchID3v2 = Settings_->SearchID3v2();
    s.SearchLyrics3 = Settings_->SearchLyrics3();
}

void TFormCantrel::UpdateSong() {
    if (InUpdateSong_) {
        UpdateSongAgain_ = true;
        return;
    }
    InUpdateSong_ = true;
    do {
        UpdateSongAgain_ = false;
        bool found = false;
        if (ViewMode_ == 3) {
            // The editor's song label turns reddish while it holds another song than the one playing.
            SyncLookupSettings();
            const std::string playing =
                Mp3Tag_.SongNameFor(Session_.GetSongFileName(), Session_.GetSongTitle());
            Scene_->GLHUDTextEditSong->ModulateColor.R =
                playing != Scene_->GLHUDTextEditSong->Text ? 0.7f : 0.45f;
            found = Lyrics_.Found;
        } else {
            SyncLookupSettings();
            found = Mp3Tag_.LoadForCurrentSong(Lyrics_);
            if (found) {
                // Lyrics from the song's own tags keep their live offset in the settings.
                if (Lyrics_.LyricsFileName.empty())
                    Lyrics_.LiveShift = Settings_->SongOffset(Lyrics_.SongName);
                Scene_->GLHUDTextNoTimestampDownloading->Visible = false;
                DisplayEngine_->RebuildLines();
                if (!Lyrics_.Timestamped) {
                    const std::int32_t n = Session_.GetSongLength() / 1000;
                    if (SongKnown(lyrics::ArtistOf(Lyrics_.SongName), lyrics::TitleOf(Lyrics_.SongName), n,
                                  0))
                        SearchLyrics(-1);
                }
            } else if (!lyrics::IsUsableSongName(Lyrics_.SongName)) {
                // Nothing to look up or search for: show the title as it reads and say why.
                Lyrics_.ParseText("[00:00]" + Session_.GetSongTitle() + "\r\n[00:00]\r\n[00:00]" +
                                  kNoUsableSongName + "\r\n");
                Lyrics_.Timestamped = false;
                DisplayEngine_->RebuildLines();
                Scene_->GLHUDTextNoTimestampDownloading->Visible = false;
            } else {
                const std::string name =
                    Mp3Tag_.SongNameFor(Session_.GetSongFileName(), Session_.GetSongTitle());
                Lyrics_.ParseText("[00:00]" + name + "\r\n[00:00]\r\n\r\n");
                Lyrics_.Timestamped = false;
                DisplayEngine_->RebuildLines();
                if (CancelList_.Contains(Lyrics_.SongName)) {
                    Scene_->GLHUDTextNoTimestampDownloading->Visible = false;
                    Frame_->SetSearchState(TWASkin::ssSearch);
                } else {
                    SearchLyrics(-1);
                }
            }
        }
        setWindowTitle(FromActive(Session_.GetSongTitle()));
        UpdateSubmitAction(found);
        if (found)
            Frame_->SetSearchState(TWASkin::ssSearchAgain);
        Frame_->UpdateSubmitButton();
        ForceRelayout();
    } while (UpdateSongAgain_);
    InUpdateSong_ = false;
}

void TFormCantrel::UpdateSubmitAction(bool found) {
    QAction* action = Action("ActionUploadLyric");
    const bool canSubmit = found && Lyrics_.Lines.size() > 5 && CanSubmitSong(Session_.GetSongTitle());
    SubmitCaption_ = canSubmit && NewSubmission() ? kSubmitLyric
                     : canSubmit                  ? kSubmitCorrection
                                                  : kSubmitLyric;
    SubmitPossible_ = canSubmit;
    action->setText(FromActive(SubmitCaption_));
    action->setEnabled(canSubmit);
}

std::string TFormCantrel::SubmitCaption() const {
    return SubmitCaption_;
}

bool TFormCantrel::CanSubmitSong(const std::string& songName) const {
    return database::CanSubmit(songName);
}

bool TFormCantrel::SongKnown(const std::string& artist, const std::string& title, std::int32_t lengthSeconds,
                             int mode) const {
    return UploadLyric_->IsSongKnown(artist, title, lengthSeconds, mode);
}

bool TFormCantrel::NewSubmission() const {
    return UploadLyric_->IsNewSubmission();
}

bool TFormCantrel::FillEditorPanes(lyrics::TEditorPanes& panes) {
    if (!Editor_)
        return false;
    Editor_->FillFromDocument();
    panes.Timing = Editor_->TimingLines();
    panes.Lyric = Editor_->LyricLines();
    return true;
}

void TFormCantrel::ProcessMessages() {
    QApplication::processEvents();
}

bool TFormCantrel::SubmitEnabled() const {
    return SubmitPossible_;
}

bool TFormCantrel::AgentSearch(int site, std::int32_t lengthSeconds, bool timestamped) {
    return Agent_.Search(site, Lyrics_.SongName, lengthSeconds, timestamped);
}

void TFormCantrel::ShiftLyrics(std::int32_t delta) {
    if (ViewMode_ == 3 || !Lyrics_.Found || !Lyrics_.Timestamped)
        return;
    const std::int64_t wanted = std::int64_t(Lyrics_.Offset) + Lyrics_.LiveShift + delta;
    const auto total = std::int32_t(std::clamp<std::int64_t>(wanted, -kMaxOffset, kMaxOffset));
    Lyrics_.LiveShift =
        std::int32_t(std::clamp<std::int64_t>(std::int64_t(total) - Lyrics_.Offset, INT32_MIN, INT32_MAX));
    std::string notice = lyrics::OffsetNotice(total);
    if (Lyrics_.LyricsFileName.empty())
        Settings_->SetSongOffset(Lyrics_.SongName, Lyrics_.LiveShift);
    else if (!lyrics::SaveOffsetTag(Lyrics_.LyricsFileName, total))
        notice += " (not saved)";
    ShowNotice(notice);
    TimerHideDownlaodLabel.start();
    DisplayEngine_->UpdateFrame(0, Scene_->GLCadencer1.CurrentTime());
}

void TFormCantrel::ShowNotice(const std::string& text) {
    Scene_->GLHUDTextNoTimestampDownloading->Text = text;
    Scene_->GLHUDTextNoTimestampDownloading->Visible = true;
}

void TFormCantrel::SearchLyrics(int site) {
    if (!Settings_->SearchInternet())
        return;
    const std::string& name = Lyrics_.SongName;
    if (name == player::kNoPlayerTitle || name == player::kStoppedTitle || !lyrics::IsUsableSongName(name))
        return;
    if (!CanSubmitSong(name)) {
        TimerHideDownlaodLabel.start();
        return;
    }
    if (site < 0) {
        const std::string artist = lyrics::ArtistOf(name), title = lyrics::TitleOf(name);
        const std::int32_t n = Session_.GetSongLength() / 1000;
        const int state = SongKnown(artist, title, n, 0) ? 2 : SongKnown(artist, title, n, -1) ? 1 : 0;
        bool accepted;
        if (state == 2 || n == 0)
            accepted = AgentSearch(-1, n, true);
        else if (state == 1)
            accepted = AgentSearch(-1, 0, false);
        else {
            SearchLyrics(0);
            return;
        }
        if (!accepted) {
            ShowNotice(kAgentNotRunning);
            TimerHideDownlaodLabel.start();
        }
        return;
    }
    if (!AgentSearch(site, 0, false)) {
        ShowNotice(kAgentNotRunning);
        TimerHideDownlaodLabel.start();
        return;
    }
    if (Scene_->GLHUDTextNoTimestampDownloading->Text != kErrorConnecting) {
        ShowNotice(kDownloading);
        Frame_->SetSearchState(TWASkin::ssCancelSearch);
    }
}

void TFormCantrel::ChooseCharset(const std::string& charset) {
    if (charset != Settings_->Charset())
        Settings_->SetCharset(charset); // reads the song again (ReadSongAgain)
}

void TFormCantrel::ReadSongAgain() {
    // What is shown was read in the old code page: read the title again and look the song up anew.
    Session_.RereadTextsAfterCodePageChange();
    UpdateSong();
}

void TFormCantrel::SearchAgain() {
    if (Lyrics_.Lines.size() < 2 || Lyrics_.DownloadSource.empty()) {
        SearchLyrics(-1);
        return;
    }
    const auto& sites = Settings_->Filters().Items();
    for (std::size_t i = 0; i < sites.size(); ++i)
        if (sites[i].Enabled && sites[i].Url == Lyrics_.DownloadSource) {
            SearchLyrics(int(i) + 1);
            return;
        }
    SearchLyrics(-1);
}

void TFormCantrel::CancelSearch() {
    Agent_.CancelSearch();
}

void TFormCantrel::AddToCancelList(const std::string& songName) {
    CancelList_.Add(songName);
}

void TFormCantrel::RemoveFromCancelList(const std::string& songName) {
    CancelList_.Remove(songName);
}

bool TFormCantrel::IsInCancelList(const std::string& songName) const {
    return CancelList_.Contains(songName);
}

void TFormCantrel::AgentReply(const lyrics::TAgentRecord& reply) {
    const std::string& text = reply.Text;
    if (text == lyrics::kAgentDownloadDone) {
        UpdateSong();
        TimerHideDownlaodLabel.start();
    } else if (text == lyrics::kAgentDone) {
        Frame_->SetSearchState(TWASkin::ssSearch);
        Scene_->GLHUDTextNoTimestampDownloading->Visible = false;
    } else if (text == lyrics::kAgentNotFound || text == lyrics::kAgentErrorConnecting) {
        Frame_->SetSearchState(TWASkin::ssSearch);
        ShowNotice(text);
        TimerHideDownlaodLabel.start();
    } else if (text == lyrics::kAgentVersevault) {
        Scene_->GLHUDTextReminder->Text = reply.Command;
        Scene_->GLHUDTextReminder->Tag = 1;
        Scene_->GLHUDTextReminder->Visible = true;
        TimerHideReminder.start();
    } else {
        ShowNotice(text);
    }
}

bool TFormCantrel::CanStayOnTop() {
    // Wayland gives programs no say over the stacking of their windows.
    return !QGuiApplication::platformName().startsWith("wayland");
}

void TFormCantrel::ToggleStayOnTop() {
    const bool onTop = !StaysOnTop() && CanStayOnTop();
    // The editor and the preferences follow (the submission window once it exists); then the main window.
    Editor_->SetStayOnTop(onTop);
    Preferences_->SetStaysOnTop(onTop);
    const Qt::WindowFlags flags =
        onTop ? windowFlags() | Qt::WindowStaysOnTopHint : windowFlags() & ~Qt::WindowStaysOnTopHint;
    if (QWindow* window = windowHandle()) {
        // Changed on the shown window itself (a window-manager state on X11), which stays mapped: changing
        // the widget's flags would hide it and show it again.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
    TimerResizeEvent.start();
}

// ---------------------------------------------------------------------------------------------------------
// Editor host

void TFormCantrel::ReturnToLyricView() {
    SetViewMode(1);
    TimerResizeEvent.start();
}

int TFormCantrel::SceneViewWidth() {
    return GLSceneViewerMain_->View().Width;
}

std::string TFormCantrel::LyricsDir() {
    return Settings_->LyricsDir();
}

std::string TFormCantrel::LyricsBaseName(const std::string& songName) {
    SyncLookupSettings();
    return Mp3Tag_.NormaliseSongName(songName);
}

// ---------------------------------------------------------------------------------------------------------
// Lookup view

void TFormCantrel::SearchProgress() {
    if (!LoadingPlaced_ && Scene_->GLHUDTextLoading->Visible) {
        Scene_->GLHUDTextLoading->Position.X = float(width() / 2 - 50);
        Scene_->GLHUDTextLoading->Position.Y = float(height() / 2);
        LoadingPlaced_ = true;
        ForceRelayout();
    }
    QApplication::processEvents();
}

void TFormCantrel::HideLoadingLabel() {
    Scene_->GLHUDTextLoading->Visible = false;
}

// ---------------------------------------------------------------------------------------------------------
// Frame host

std::string TFormCantrel::SongName() const {
    return Lyrics_.SongName;
}
std::string TFormCantrel::DownloadSource() const {
    return Lyrics_.DownloadSource;
}
bool TFormCantrel::LyricsFound() const {
    return Lyrics_.Found;
}
bool TFormCantrel::SearchInternet() const {
    return Settings_->SearchInternet();
}
void TFormCantrel::TurnSearchInternetOn() {
    Settings_->SetSearchInternet(true);
}
bool TFormCantrel::ShowSongInfo() const {
    return Settings_->ShowSongInfo();
}
int TFormCantrel::DisplayMode() const {
    return Settings_->DisplayMode();
}
bool TFormCantrel::IsMaximized() const {
    return isMaximized();
}
std::string TFormCantrel::SearchNoticeText() const {
    return Scene_->GLHUDTextNoTimestampDownloading->Text;
}

void TFormCantrel::SetSearchActionCaption(const std::string& caption) {
    if (QAction* action = Action("ActionSearch"))
        action->setText(FromActive(caption));
}

void TFormCantrel::SetDragOffset(int x, int y) {
    SystemMoveStarted_ = false;
    DragOffsetX_ = x;
    DragOffsetY_ = y;
}

void TFormCantrel::EditLyrics() {
    Action("ActionEdit")->trigger();
}

void TFormCantrel::SubmitLyrics() {
    Action("ActionUploadLyric")->trigger();
}

void TFormCantrel::OpenAddress(const std::string& address) {
    if (Services_.OpenAddress)
        Services_.OpenAddress(address);
}

void TFormCantrel::SetScrollPosition(int position) {
    DisplayEngine_->SetScrollPosition(position);
}

void TFormCantrel::RestartAllowScroll() {
    TimerAllowScroll.start();
}

// ---------------------------------------------------------------------------------------------------------
// Display host

bool TFormCantrel::FrameHasSkin() {
    return Frame_ && Frame_->HasSkin();
}

void TFormCantrel::PaintScrollThumb() {
    Frame_->PaintScrollThumb(Frame_->ThumbDragging);
}

void TFormCantrel::ShowScrollBar(bool shown) {
    if (shown)
        Frame_->ShowScrollBar();
    else
        Frame_->HideScrollBar();
}

void TFormCantrel::SetCursor(TCursorKind cursor) {
    switch (cursor) {
    case TCursorKind::VSplit:
        GLSceneViewerMain_->setCursor(Qt::SplitVCursor);
        break;
    case TCursorKind::HandPoint:
        GLSceneViewerMain_->setCursor(Qt::PointingHandCursor);
        break;
    default:
        GLSceneViewerMain_->unsetCursor();
        break;
    }
}

void TFormCantrel::OpenPreferencesPage(int index) {
    Preferences_->ShowPreferencesPage(index);
}

void TFormCantrel::MultiplyVisualizationGain(float factor) {
    if (Visualization_)
        Visualization_->MultiplyGain(factor);
}

// ---------------------------------------------------------------------------------------------------------
// Mouse, keys, gestures

void TFormCantrel::MainMouseDown(TMouseButton button, TShiftState, int x, int y) {
    if (button == TMouseButton::Right)
        JvMouseGesture1_.Start(x, y, Clock_.TickCount());
    if (x > GLSceneViewerMain_->View().Width - 15 && y < 15) {
        close();
        return;
    }
    const QPoint cursor = QCursor::pos();
    SystemMoveStarted_ = false;
    DragOffsetX_ = cursor.x() - this->x();
    DragOffsetY_ = cursor.y() - this->y();
}

void TFormCantrel::MainMouseMove(TShiftState shift, int x, int y) {
    if (JvMouseGesture1_.Tracking())
        JvMouseGesture1_.Trail(x, y, Clock_.TickCount());
    if (shift.Left && !isMaximized())
        DragWindow();
}

bool TFormCantrel::DragWindow() {
    // The window manager moves the window where it can (Wayland ignores a program's own moves); the drag
    // then belongs to it until the button is released. Elsewhere the window follows the cursor itself.
    if (SystemMoveStarted_)
        return true;
    if (QWindow* window = windowHandle(); window && window->startSystemMove()) {
        SystemMoveStarted_ = true;
        return true;
    }
    const QPoint cursor = QCursor::pos();
    move(cursor.x() - DragOffsetX_, cursor.y() - DragOffsetY_);
    return false;
}

void TFormCantrel::SceneMouseUp(Qt::MouseButton, int x, int y) {
    const int w = GLSceneViewerMain_->View().Width;
    if (x > w - 25 && x < w - 15 && y < 15) {
        Scene_->GLHUDTextNoTimestampMinimize->Visible = false;
        Scene_->GLHUDTextNoTimestampExit->Visible = false;
        showMinimized();
        return;
    }
    if (JvMouseGesture1_.Tracking()) {
        const std::string gesture = JvMouseGesture1_.End();
        GestureInterpretation(gesture);
        if (gesture.empty() && PopupMenuTag_ == 0) {
            const QPoint at = QCursor::pos();
            if (OnPopupMenu)
                OnPopupMenu(at);
            else
                JvPopupMenuMain_->popup(at);
        }
    }
    PopupMenuTag_ = 0;
}

void TFormCantrel::GestureInterpretation(const std::string& gesture) {
    if (!Settings_->UseMouseGestures() || ViewMode_ == 3)
        return;
    RunAction(GestureAction(gesture));
}

void TFormCantrel::MainDoubleClick() {
    ToggleMaximized();
}

void TFormCantrel::ToggleMaximized() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        showNormal();
    else
        showMaximized();
    Frame_->SetBordersActive();
    TimerResizeEvent.start();
}

void TFormCantrel::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    event->accept();
    if (ViewMode_ != 0 && DisplayEngine_->KeyDown(DisplayKeyOf(event->key(), modifiers),
                                                  ShiftStateOf(modifiers, QGuiApplication::mouseButtons())))
        return;
    TKeyPress press;
    press.Key = event->key();
    press.Shift = modifiers & Qt::ShiftModifier;
    press.Ctrl = modifiers & Qt::ControlModifier;
    press.Alt = modifiers & Qt::AltModifier;
    press.Meta = modifiers & Qt::MetaModifier;
    FormKeyDown(KeyAction(press));
    // Whatever the key did is drawn at once.
    if (isVisible())
        AdvanceSceneClock();
}

void TFormCantrel::FormKeyDown(TMainAction action) {
    switch (action) {
    case TMainAction::RestoreFromMaximized:
        if (isMaximized())
            ToggleMaximized();
        break;
    case TMainAction::ScrollUp:
        if (ViewMode_ != 3)
            DisplayEngine_->MouseWheelUp(TShiftState{});
        break;
    case TMainAction::ScrollDown:
        if (ViewMode_ != 3)
            DisplayEngine_->MouseWheelDown(TShiftState{});
        break;
    default:
        RunAction(action);
        break;
    }
}

void TFormCantrel::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    // Fine-step wheels and touchpads report a notch in parts: they are added up and act once per notch. A
    // part-notch meant for one use (scrolling, font size, volume, seeking: the view and the keys and buttons
    // held) is not carried over to another.
    const bool lyrics = ViewMode_ != 0;
    const int target =
        (lyrics ? 1 : 0) | (shift.Right ? 2 : 0) | (shift.Ctrl ? 4 : 0) | (shift.Shift ? 8 : 0);
    if (target != WheelTarget_) {
        Wheel_.Reset();
        WheelTarget_ = target;
    }
    // A runaway delta is bounded: no event acts more than a few notches.
    constexpr int kMaxStepsPerEvent = 10;
    const int steps = std::clamp(Wheel_.Add(delta), -kMaxStepsPerEvent, kMaxStepsPerEvent);
    for (int i = 0; i < std::abs(steps); ++i)
        WheelStep(lyrics, steps < 0, shift);
}

void TFormCantrel::WheelStep(bool lyrics, bool down, const TShiftState& shift) {
    if (lyrics) {
        if (down)
            DisplayEngine_->MouseWheelDown(shift);
        else
            DisplayEngine_->MouseWheelUp(shift);
        return;
    }
    // Before the first showing the window's own wheel handling applies.
    if (shift.Right) {
        if (down)
            Session_.PlayerBack5s();
        else
            Session_.PlayerForward5s();
        PopupMenuTag_ = 1;
    } else if (down) {
        Session_.PlayerVolumeDown();
    } else {
        Session_.PlayerVolumeUp();
    }
}

void TFormCantrel::ButtonProgress(int index, double deltaTime) {
    const auto buttons = Scene_->Buttons();
    toolkit::TGLTorus& button = *buttons[std::size_t(index)];
    if (!Settings_->AnimateButtons() || button.Tag != 1)
        return;
    const float pitch = button.PitchAngle + float(deltaTime * 100);
    if (pitch <= 180) {
        button.PitchAngle = pitch;
        if (&button == Scene_->GLTorusStop)
            Scene_->GLCube1->PitchAngle = -pitch; // the square stays upright
        return;
    }
    button.PitchAngle = 0;
    button.Tag = 0;
    if (&button == Scene_->GLTorusStop)
        Scene_->GLCube1->PitchAngle = 0;
    // The button under a resting cursor keeps turning, one half turn after the other.
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    // Columns start at the window's left edge: a cursor left of the window is over none of them.
    if (cursor.x() >= 0 && cursor.y() > height() - 40 && cursor.y() <= height() - 20) {
        const int column = TDisplayTextNoTimestamp::ButtonAt(cursor.x());
        if (column >= 0)
            buttons[std::size_t(column)]->Tag = 1;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Actions and the popup menu

QAction* TFormCantrel::Action(const std::string& name) const {
    auto it = Actions_.find(name);
    return it == Actions_.end() ? nullptr : it->second;
}

void TFormCantrel::CreateActions() {
    auto add = [this](const std::string& name, const QString& text, TMainAction action) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromStdString(name));
        connect(a, &QAction::triggered, this, [this, action] {
            RunAction(action);
            AdvanceSceneClock(); // what it changed shows at once
        });
        Actions_[name] = a;
        return a;
    };
    // The submission window comes with its own object; until then its action is present and disabled.
    auto addOwn = [this](const std::string& name, const QString& text, std::function<void()> work) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromStdString(name));
        connect(a, &QAction::triggered, this, [this, work = std::move(work)] {
            work();
            AdvanceSceneClock();
        });
        Actions_[name] = a;
        return a;
    };
    addOwn("ActionPreferences", "Preferences..", [this] { Preferences_->ShowPreferences(); });
    addOwn("ActionEdit", "Edit Lyrics..", [this] { SetViewMode(3); });
    add("ActionDisplayModeDefault", "Default", TMainAction::DisplayModeDefault)->setCheckable(true);
    add("ActionDisplayModeKaraoke", "Minimal", TMainAction::DisplayModeMinimal)->setCheckable(true);
    Action("ActionDisplayModeDefault")->setChecked(true);
    add("ActionPrev", "Prev", TMainAction::Prev);
    add("ActionPlay", "Play", TMainAction::Play);
    add("ActionPause", "Pause", TMainAction::Pause);
    add("ActionStop", "Stop", TMainAction::Stop);
    add("ActionNext", "Next", TMainAction::Next);
    add("ActionJump", "Jump to file..", TMainAction::JumpToFile);
    add("ActionSearch", "Search", TMainAction::Search);
    add("ActionManualSearch", "Manual Search..", TMainAction::ManualSearch);
    addOwn("ActionUploadLyric", "&Submit Lyric..", [this] {
        UploadLyricDialog_->ShowSubmitDialog();
    })->setEnabled(false);
    add("ActionExit", "E&xit", TMainAction::Close);
}

void TFormCantrel::CreatePopupMenu() {
    JvPopupMenuMain_ = new QMenu(this);
    JvPopupMenuMain_->setObjectName("JvPopupMenuMain");
    // Items with an action of the action list show that action; the others get an action of their own.
    static const std::map<std::string, std::string> listActions = {
        {"Preferences1", "ActionPreferences"},
        {"Edit1", "ActionEdit"},
        {"Default1", "ActionDisplayModeDefault"},
        {"Karaoke1", "ActionDisplayModeKaraoke"},
        {"Prev1", "ActionPrev"},
        {"Play1", "ActionPlay"},
        {"Pause1", "ActionPause"},
        {"Stop1", "ActionStop"},
        {"Next1", "ActionNext"},
        {"Jumptofile1", "ActionJump"},
        {"Search1", "ActionSearch"},
        {"ManualSearch1", "ActionManualSearch"},
        {"Upload1", "ActionUploadLyric"},
        {"Exit1", "ActionExit"},
    };
    std::function<void(QMenu&, const std::vector<TMenuItem>&)> fill =
        [&](QMenu& menu, const std::vector<TMenuItem>& items) {
            for (const TMenuItem& item : items) {
                if (item.IsSeparator()) {
                    menu.addSeparator();
                    continue;
                }
                if (!item.Items.empty()) {
                    QMenu* sub = menu.addMenu(QString::fromStdString(item.Caption));
                    sub->setObjectName(QString::fromStdString(item.Name));
                    sub->menuAction()->setObjectName(QString::fromStdString(item.Name));
                    Actions_[item.Name] = sub->menuAction();
                    fill(*sub, item.Items);
                    continue;
                }
                QAction* action = nullptr;
                auto listed = listActions.find(item.Name);
                if (listed != listActions.end()) {
                    action = Action(listed->second);
                } else {
                    action = new QAction(QString::fromStdString(item.Caption), this);
                    action->setObjectName(QString::fromStdString(item.Name));
                    action->setCheckable(item.Checkable);
                    const TMainAction what = item.Action;
                    connect(action, &QAction::triggered, this, [this, what] {
                        RunAction(what);
                        AdvanceSceneClock();
                    });
                }
                // Shortcuts are only shown: the keys act through the key handling of the window and the
                // display.
                if (!item.Shortcut.empty())
                    action->setShortcut(QKeySequence(QString::fromStdString(item.Shortcut)));
                action->setShortcutContext(Qt::WidgetShortcut);
                Actions_[item.Name] = action;
                menu.addAction(action);
            }
        };
    fill(*JvPopupMenuMain_, PopupMenu());
    PlayerMenu_ = JvPopupMenuMain_->findChild<QMenu*>("Player1");
    if (PlayerMenu_)
        connect(PlayerMenu_, &QMenu::aboutToShow, this, [this] { RefreshPlayerMenu(); });
}

void TFormCantrel::RefreshPlayerMenu() {
    if (!PlayerMenu_)
        return;
    // Everything after "Automatic" is made again from what the session knows of the bus (no bus call).
    QAction* automatic = Action("Automatic1");
    for (QAction* item : PlayerMenu_->actions()) {
        if (item != automatic) {
            PlayerMenu_->removeAction(item);
            item->deleteLater();
        }
    }
    const std::string& pinned = Session_.PinnedMediaPlayer();
    automatic->setChecked(pinned.empty());
    auto players = Session_.MediaPlayers();
    const bool pinnedPresent =
        std::any_of(players.begin(), players.end(), [&](const auto& p) { return p.key == pinned; });
    if (!pinned.empty() && !pinnedPresent)
        players.push_back({pinned, pinned, false}); // shown, greyed, while it is not on the bus
    if (!players.empty())
        PlayerMenu_->addSeparator();
    for (const auto& player : players) {
        auto* item = new QAction(FromActive(player.identity), PlayerMenu_);
        item->setObjectName(QString::fromStdString("Player:" + player.key));
        item->setCheckable(true);
        item->setChecked(player.key == pinned);
        item->setEnabled(pinnedPresent || player.key != pinned);
        const std::string key = player.key;
        connect(item, &QAction::triggered, this, [this, key] { Settings_->SetPinnedPlayer(key); });
        PlayerMenu_->addAction(item);
    }
}

void TFormCantrel::PlayerNews() {
    // Many news in a row make one poll.
    if (PlayerNewsPending_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            PlayerNewsPending_ = false;
            try {
                Session_.PollPlayer();
            } catch (...) {
                // A failure is the regular polls' to meet.
            }
        },
        Qt::QueuedConnection);
}

void TFormCantrel::PinPlayer(const std::string& key) {
    Session_.PinMediaPlayer(key);
    if (PlayerMenu_)
        RefreshPlayerMenu();
}

std::string TFormCantrel::ManualSearchAddressForSong() const {
    const std::string& title = Session_.CurrentSong().title;
    return ManualSearchAddress(Settings_->SearchUrl(), lyrics::ArtistOf(title), lyrics::TitleOf(title),
                               title);
}

void TFormCantrel::RunAction(TMainAction action) {
    using A = TMainAction;
    switch (action) {
    case A::Play:
        Session_.PlayerPlay();
        break;
    case A::Pause:
        Session_.PlayerPause();
        break;
    case A::Stop:
        Session_.PlayerStop();
        break;
    case A::Next:
        Session_.PlayerNext();
        break;
    case A::Prev:
        Session_.PlayerPrev();
        break;
    case A::VolumeUp:
        Session_.PlayerVolumeUp();
        break;
    case A::VolumeDown:
        Session_.PlayerVolumeDown();
        break;
    case A::Forward5s:
        Session_.PlayerForward5s();
        break;
    case A::Back5s:
        Session_.PlayerBack5s();
        break;
    case A::JumpToFile:
        Session_.PlayerJumpToFile();
        break;
    case A::Close:
        close();
        break;
    case A::Preferences:
    case A::Edit:
    case A::Submit: {
        // Through the action, so that a disabled action does nothing.
        const char* name = action == A::Preferences ? "ActionPreferences"
                           : action == A::Edit      ? "ActionEdit"
                                                    : "ActionUploadLyric";
        QAction* a = Action(name);
        if (a && a->isEnabled())
            a->trigger();
        break;
    }
    case A::DisplayModeDefault:
        Settings_->SetDisplayMode(0);
        break;
    case A::DisplayModeMinimal:
        Settings_->SetDisplayMode(1);
        break;
    case A::FadeLyrics:
        Settings_->SetFadeLyrics(Action("Fadeinlyrics1")->isChecked());
        break;
    case A::CharsetEnglish:
        ChooseCharset("charset_english");
        break;
    case A::CharsetCentralEurope:
        ChooseCharset("charset_centraleurope");
        break;
    case A::CharsetRussian:
        ChooseCharset("charset_russian");
        break;
    case A::CharsetGreek:
        ChooseCharset("charset_greek");
        break;
    case A::CharsetUnicode:
        ChooseCharset("charset_unicode");
        break;
    case A::PlayerAutomatic:
        Settings_->SetPinnedPlayer("");
        break;
    case A::Search:
        Frame_->SearchButtonClick();
        break;
    case A::ManualSearch:
        OpenAddress(ManualSearchAddressForSong());
        break;
    case A::PlayerSetupHelp:
        OpenAddress(PlayerSetupHelpAddress());
        break;
    case A::Help:
        OpenAddress(HelpAddress());
        break;
    case A::LyricsEarlier:
        ShiftLyrics(kOffsetStep);
        break;
    case A::LyricsLater:
        ShiftLyrics(-kOffsetStep);
        break;
    case A::RestoreFromMaximized:
    case A::ScrollUp:
    case A::ScrollDown:
        FormKeyDown(action);
        break;
    case A::None:
        break;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Settings view

void TFormCantrel::EnableMouseGestureRecogniser() {
    JvMouseGesture1_.Active = true;
}
void TFormCantrel::SetSeparatorSpace(float space) {
    Scene_->GLHUDTextNoTimestampSeperator->TagFloat = space;
}
void TFormCantrel::ShowSeparator(bool shown) {
    Scene_->GLHUDTextNoTimestampSeperator->Visible = shown;
}
void TFormCantrel::ShowVisualization(bool shown) {
    Scene_->GLDummyCubeVisualization->Visible = shown;
}
void TFormCantrel::SetVisualizationScale(float scale) {
    Scene_->GLDummyCubeVisualization->Scale = {scale, scale, scale};
}
void TFormCantrel::RecreateVisualization(int radius) {
    // The old cubes go first: the old visualization no longer touches them.
    Scene_->GLDummyCubeVisualization->DeleteChildren();
    Visualization_.reset();
    Visualization_ =
        std::make_unique<TCubeVisualization>(radius, *Scene_->GLDummyCubeVisualization, Clock_, *Settings_);
}
void TFormCantrel::ShowPlaybackButtons(bool shown) {
    Scene_->GLDummyCubeButtons->Visible = shown;
}

void TFormCantrel::CheckDisplayModeActions(int mode) {
    Action("ActionDisplayModeDefault")->setChecked(mode == 0);
    Action("ActionDisplayModeKaraoke")->setChecked(mode == 1);
}

void TFormCantrel::ShowFrameControls(bool shown) {
    Frame_->ShowFrameControls(shown);
}

void TFormCantrel::CheckFadeMenuItem(bool checked) {
    QAction* item = Action("Fadeinlyrics1");
    const bool blocked = item->blockSignals(true);
    item->setChecked(checked);
    item->blockSignals(blocked);
}

bool TFormCantrel::IsLoadingPanelVisible() {
    return PanelLoading_ && !PanelLoading_->isHidden();
}

void TFormCantrel::ResetSearchButton() {
    if (Frame_)
        Frame_->SetSearchState(TWASkin::ssSearch);
}

void TFormCantrel::RedrawInternetIndicator() {
    if (Frame_)
        Frame_->SetSearchState(Frame_->SearchState());
}

void TFormCantrel::LoadLyricFont(const std::string& fileName, int size) {
    Scene_->GLWindowsBitmapFontTextNoTimestamp.SetFontSize(size);
    Scene_->GLWindowsBitmapFontTextNoTimestamp.LoadFromFile(fileName);
}

void TFormCantrel::UseSystemLyricFont(int size) {
    Scene_->GLWindowsBitmapFontTextNoTimestamp.UseSystemFont(size);
}

bool TFormCantrel::IsMainWindowNormal() {
    return !isMaximized() && !isMinimized();
}

void TFormCantrel::SetMainWindowSize(int width, int height) {
    resize(width, height);
}

void TFormCantrel::ShowWarning(const std::string& message) {
    if (Services_.ShowWarning)
        Services_.ShowWarning(message);
    else
        QMessageBox::warning(this, "Cantrel", FromActive(message), QMessageBox::Ok);
}

void TFormCantrel::ShowVersion(const std::string& caption) {
    if (PreferencesView_)
        PreferencesView_->ShowVersion(caption);
}
void TFormCantrel::ShowLyricsDir(const std::string& path) {
    if (PreferencesView_)
        PreferencesView_->ShowLyricsDir(path);
}
void TFormCantrel::ShowCheck(config::TSettingsCheckBox box, bool checked) {
    if (PreferencesView_)
        PreferencesView_->ShowCheck(box, checked);
}
void TFormCantrel::EnableCheck(config::TSettingsCheckBox box, bool enabled) {
    if (PreferencesView_)
        PreferencesView_->EnableCheck(box, enabled);
}
void TFormCantrel::HideVisualizationCheck() {
    if (PreferencesView_)
        PreferencesView_->HideVisualizationCheck();
}
void TFormCantrel::RemoveVisualizationPage() {
    if (PreferencesView_)
        PreferencesView_->RemoveVisualizationPage();
}
void TFormCantrel::ShowTextSize(int index) {
    if (PreferencesView_)
        PreferencesView_->ShowTextSize(index);
}
void TFormCantrel::ShowScaleSlider(int position) {
    if (PreferencesView_)
        PreferencesView_->ShowScaleSlider(position);
}
void TFormCantrel::ShowScaleLabel(const std::string& text) {
    if (PreferencesView_)
        PreferencesView_->ShowScaleLabel(text);
}
void TFormCantrel::ShowVisRadius(int position) {
    if (PreferencesView_)
        PreferencesView_->ShowVisRadius(position);
}
void TFormCantrel::ShowDisplayMode(int mode) {
    if (PreferencesView_)
        PreferencesView_->ShowDisplayMode(mode);
}
void TFormCantrel::ShowFadeSlider(int position) {
    if (PreferencesView_)
        PreferencesView_->ShowFadeSlider(position);
}
void TFormCantrel::EnableFadeSlider(bool enabled) {
    if (PreferencesView_)
        PreferencesView_->EnableFadeSlider(enabled);
}
void TFormCantrel::ShowUsername(const std::string& text) {
    if (PreferencesView_)
        PreferencesView_->ShowUsername(text);
}
void TFormCantrel::ShowPassword(const std::string& text) {
    if (PreferencesView_)
        PreferencesView_->ShowPassword(text);
}
void TFormCantrel::ShowLrclibUrl(const std::string& url) {
    if (PreferencesView_)
        PreferencesView_->ShowLrclibUrl(url);
}
void TFormCantrel::ShowFilters(const config::TFilterList& filters) {
    if (PreferencesView_)
        PreferencesView_->ShowFilters(filters);
}
void TFormCantrel::ShowCharset(const std::string& charset) {
    if (PreferencesView_)
        PreferencesView_->ShowCharset(charset);
}

// ---------------------------------------------------------------------------------------------------------
// Preferences host

void TFormCantrel::TextSizeChosen() {
    DisplayEngine_->RebuildLines();
    TimerResizeEvent.start();
}

std::string TFormCantrel::ProductSite() const {
    return kProductSite;
}

std::string TFormCantrel::DatabaseSite() const {
    return Settings_->VersevaultUrl();
}

} // namespace display
