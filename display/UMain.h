#pragma once
// The main window: the program's only top-level window and the owner of every long-lived object. It
// creates the settings store, the lyric lookup and document, the scene and its display engine and the
// window frame, runs the display loop (player poll, scene clock), the song-change pipeline (lookup,
// placeholder, search decision), the link to the search agent, and the keys, mouse, gestures and popup
// menu that drive the player.
//
// Ownership: main() creates the player session, the clock and the agent channel and keeps them alive
// longer than the window; the window owns everything else it creates. It talks to the core through the
// small interfaces the core offers: the song-change listener, the agent reply listener, the lookup view
// and the settings view; the display engine and the frame reach it through their host interfaces.

#include "config/ISettingsView.h"
#include "config/TSongList.h"
#include "config/ui/IPreferencesHost.h"
#include "database/IEHTTP3.h"
#include "database/UUploadLyric.h"
#include "display/IDisplayHost.h"
#include "display/ScrollState.h"
#include "display/UFrameHost.h"
#include "display/UMainActions.h"
#include "editor/IEditor.h"
#include "lyrics/UMp3Tag.h"
#include "lyrics/USearchAgent.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/MouseGesture.h"
#include "toolkit/WheelAccumulator.h"

#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QSocketNotifier;

namespace config {
class TFormSettings;
class TSettings;
} // namespace config
namespace database::ui {
class TUploadLyric;
}
namespace platform {
class IAgentChannel;
class IClock;
} // namespace platform

namespace display {

class TCubeVisualization;
class TDisplayTextNoTimestamp;
class TGLSceneViewer;
class TMainScene;
class TWASkin;

// What main() hands the main window.
struct TMainWindowServices {
    player::TPlayerSession* Session = nullptr;
    platform::IClock* Clock = nullptr;
    platform::IAgentChannel* AgentChannel = nullptr;
    std::string ProgramFolder;  // with its trailing separator
    std::string UserDataFolder; // where settings go when the program folder cannot be written; may be empty
    char Separator = '/';
    // Opens a web address or a document with the desktop's default handler.
    std::function<void(const std::string&)> OpenAddress;
    // Shows a warning with an OK button (a message box unless replaced).
    std::function<void(const std::string&)> ShowWarning;
};

class TFormCantrel : public QWidget,
                     public player::ISongChangeListener,
                     public player::IPlayerNewsListener,
                     public lyrics::IAgentReplyListener,
                     public lyrics::ILookupView,
                     public IFrameHost,
                     public IDisplayHost,
                     public config::ISettingsView,
                     public config::IPreferencesHost,
                     public database::IUploadHost,
                     public database::IProcessMessages,
                     public editor::IEditorHost {
public:
    // The design size of the client area and the smallest size.
    static constexpr int kDesignWidth = 825;
    static constexpr int kDesignHeight = 326;
    static constexpr int kMinWidth = 200;
    static constexpr int kMinHeight = 50;

    // Creation (FormCreate): every owned object in its order, the agent started, the player detected.
    explicit TFormCantrel(TMainWindowServices services, QWidget* parent = nullptr);
    ~TFormCantrel() override;

    // ---- Offered to the rest of the program ----
    void UpdateSong() override;
    void SearchLyrics(int site) override;
    void SearchAgain() override;
    // The character set menu: the setting, which reads the title and the lyrics again in the new code page.
    void ChooseCharset(const std::string& charset);
    // Switches between the lyric view (1) and the edit view (3); false when that view is already on.
    bool SetViewMode(int mode);
    int ViewMode() const { return ViewMode_; }
    void ToggleStayOnTop() override;
    void AddToCancelList(const std::string& songName) override;
    void RemoveFromCancelList(const std::string& songName) override;
    bool IsInCancelList(const std::string& songName) const;
    // One step of the display loop: polls the player when 100 ms have passed since the last poll, advances
    // the scene clock, draws the scene if it looks different and schedules the next step for when the
    // picture will next change by itself. A failure propagates (the loop stops on it for good).
    void DisplayLoopStep();
    // The manual web search address for the current song.
    std::string ManualSearchAddressForSong() const;
    // The live offset control: moves the timestamped lyrics shown by delta ms (positive: earlier), shows the
    // offset briefly and keeps it: in the lyrics file's "[offset:]" tag, or, for lyrics from the song's own
    // tags, in the settings by song.
    void ShiftLyrics(std::int32_t delta);
    // Runs what a key, a gesture or a menu item asks for.
    void RunAction(TMainAction action);
    // Fills the "Player" submenu with the players on the session bus (done each time it opens).
    void RefreshPlayerMenu();
    // A player on the session bus said something new (called on the bus worker's thread): the session is
    // polled on this window's thread as soon as it gets to it.
    void PlayerNews() override;

    // ---- Parts, for the program and for tests ----
    config::TSettings& Settings() { return *Settings_; }
    lyrics::TTextLyrics& Lyrics() { return Lyrics_; }
    config::TSongList& CancelList() { return CancelList_; }
    TMainScene& Scene() { return *Scene_; }
    TDisplayTextNoTimestamp& DisplayEngine() { return *DisplayEngine_; }
    TWASkin& Frame() { return *Frame_; }
    TGLSceneViewer& SceneViewer() { return *GLSceneViewerMain_; }
    toolkit::TMouseGesture& Gesture() { return JvMouseGesture1_; }
    QMenu& PopupMenuWidget() { return *JvPopupMenuMain_; }
    QWidget& LoadingPanel() { return *PanelLoading_; }
    config::TFormSettings& Preferences() { return *Preferences_; }
    // The visualization below the lyrics (recreated when its radius changes).
    TCubeVisualization& Visualization() { return *Visualization_; }
    // Ms until the next frame the window has set itself (-1: none, it waits for a poll or an event).
    int FrameWaitMs() const;
    // The action of a menu item or action list entry by its name ("ActionSearch", "Prev1" ...).
    QAction* Action(const std::string& name) const;
    int PopupMenuTag() const { return PopupMenuTag_; }
    bool DisplayLoopRunning() const;
    // Whether a frame is due before the next poll (the picture changes by itself).
    bool FrameScheduled() const;
    QTimer TimerAfterLoaded;
    QTimer TimerResizeEvent;
    QTimer TimerHideDownlaodLabel;
    QTimer TimerHideReminder;
    QTimer TimerAllowScroll;
    QTimer TimerUpdateFPS;
    // Gestures the popup menu opened for (instead of showing it), for tests: when set, the menu is not
    // shown and this is called with the position instead.
    std::function<void(QPoint)> OnPopupMenu;

    // ---- Submission host ----
    std::int32_t GetSongLength() override { return Session_.GetSongLength(); }
    bool EditorVisible() override { return Editor_ && Editor_->EditorVisible(); }
    void ProcessMessages() override;
    bool FillEditorPanes(lyrics::TEditorPanes& panes) override;
    database::TUploadLyric& Submission() { return *UploadLyric_; }
    database::ui::TUploadLyric& SubmitDialog() { return *UploadLyricDialog_; }

    // ---- The timing editor and its host ----
    editor::IEditor& Editor() { return *Editor_; }
    void ReturnToLyricView() override;
    int SceneViewWidth() override;
    std::string LyricsDir() override;
    std::string LyricsBaseName(const std::string& songName) override;

    // ---- Song change and agent replies ----
    void AgentReply(const lyrics::TAgentRecord& reply) override;

    // ---- Lookup view ----
    void SearchProgress() override;
    void HideLoadingLabel() override;

    // ---- Frame host ----
    std::string SongName() const override;
    std::string DownloadSource() const override;
    bool LyricsFound() const override;
    bool SearchInternet() const override;
    void TurnSearchInternetOn() override;
    bool ShowSongInfo() const override;
    int DisplayMode() const override;
    // The state the window really has (the button shows it): off where the platform cannot keep a window on
    // top.
    bool StaysOnTop() const override { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    bool IsMaximized() const override;
    std::string SearchNoticeText() const override;
    std::string SubmitCaption() const override;
    bool SubmitEnabled() const override;
    void SetSearchActionCaption(const std::string& caption) override;
    void SetDragOffset(int x, int y) override;
    int DragOffsetX() const override { return DragOffsetX_; }
    int DragOffsetY() const override { return DragOffsetY_; }
    void SetSceneViewWidth(int width) override;
    void CancelSearch() override;
    void EditLyrics() override;
    void SubmitLyrics() override;
    void OpenAddress(const std::string& address) override;
    void StartDeferredResize() override;
    void SetScrollPosition(int position) override;
    void RestartAllowScroll() override;
    void AdvanceSceneClock() override;

    // ---- Display host ----
    int WindowWidth() override { return width(); }
    int WindowHeight() override { return height(); }
    bool AllowScrollTimerRunning() override { return TimerAllowScroll.isActive(); }
    void RestartAllowScrollTimer() override { TimerAllowScroll.start(); }
    bool ResizeTimerRunning() override { return TimerResizeEvent.isActive(); }
    void StartResizeTimer() override { TimerResizeEvent.start(); }
    bool FpsTimerRunning() override { return TimerUpdateFPS.isActive(); }
    void SetFpsTimerRunning(bool running) override;
    bool FrameHasSkin() override;
    void PaintScrollThumb() override;
    void ShowScrollBar(bool shown) override;
    void SetCursor(TCursorKind cursor) override;
    void OpenPreferencesPage(int index) override;
    void MarkContextMenuNoPopup() override { PopupMenuTag_ = 1; }
    void MultiplyVisualizationGain(float factor) override;
    void MainMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MainMouseMove(TShiftState shift, int x, int y) override;
    void MainDoubleClick() override;
    void MainResize() override;

    // ---- Settings view: the main window's part ----
    void EnableMouseGestureRecogniser() override;
    void SetSeparatorSpace(float space) override;
    void ShowSeparator(bool shown) override;
    void ShowVisualization(bool shown) override;
    void SetVisualizationScale(float scale) override;
    void RecreateVisualization(int radius) override;
    void ShowPlaybackButtons(bool shown) override;
    void ForceRelayout() override;
    void RunResize() override;
    void CheckDisplayModeActions(int mode) override;
    void ShowFrameControls(bool shown) override;
    void CheckFadeMenuItem(bool checked) override;
    bool IsLoadingPanelVisible() override;
    bool HasTimestampedLyrics() override { return Lyrics_.Timestamped; }
    void ResetSearchButton() override;
    void RedrawInternetIndicator() override;
    void LoadLyricFont(const std::string& fileName, int size) override;
    void UseSystemLyricFont(int size) override;
    void ReadSongAgain() override;
    bool IsMainWindowNormal() override;
    int MainWindowWidth() override { return width(); }
    int MainWindowHeight() override { return height(); }
    void SetMainWindowSize(int width, int height) override;
    void ShowWarning(const std::string& message) override;
    void PinPlayer(const std::string& key) override;
    // ---- Settings view: the preferences dialog's part, passed on to the dialog ----
    void ShowVersion(const std::string& caption) override;
    void ShowLyricsDir(const std::string& path) override;
    void ShowCheck(config::TSettingsCheckBox box, bool checked) override;
    void EnableCheck(config::TSettingsCheckBox box, bool enabled) override;
    void HideVisualizationCheck() override;
    void RemoveVisualizationPage() override;
    void ShowTextSize(int index) override;
    void ShowScaleSlider(int position) override;
    void ShowScaleLabel(const std::string& text) override;
    void ShowVisRadius(int position) override;
    void ShowDisplayMode(int mode) override;
    void ShowFadeSlider(int position) override;
    void EnableFadeSlider(bool enabled) override;
    void ShowUsername(const std::string& text) override;
    void ShowPassword(const std::string& text) override;
    void ShowLrclibUrl(const std::string& url) override;
    void ShowFilters(const config::TFilterList& filters) override;
    void ShowCharset(const std::string& charset) override;

    // ---- Preferences host ----
    void TextSizeChosen() override;
    std::string ProductSite() const override;
    std::string DatabaseSite() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormShow();
    void CreateActions();
    void CreatePopupMenu();
    // Runs a step of the display loop; a failure stops the loop for good and leaves the window open.
    void GuardedLoopStep(bool poll);
    void StopDisplayLoopForGood();
    // Starts the frame timer for the next change the scene makes by itself (the glide, the fades, the next
    // line, turning buttons); nothing while it stands still.
    void ScheduleNextFrame();
    // Draws the scene again when it looks different from the last drawing.
    void RedrawIfChanged();
    void TimerAfterLoadedTimer();
    void TimerResizeEventTimer();
    void TimerUpdateFPSTimer();
    void RunResizeHandling();
    void FormKeyDown(TMainAction action);
    void SceneMouseUp(Qt::MouseButton button, int x, int y);
    void ToggleMaximized();
    // Moves the window with the cursor while the left button drags it; true when the window manager took
    // over.
    bool DragWindow();
    static bool CanStayOnTop();
    // One notch of the wheel: on the lyrics, else seeking (right button held) or the volume.
    void WheelStep(bool lyrics, bool down, const TShiftState& shift);
    void GestureInterpretation(const std::string& gesture);
    void ButtonProgress(int index, double deltaTime);
    void ShowNotice(const std::string& text);
    bool AgentSearch(int site, std::int32_t lengthSeconds, bool timestamped);
    void UpdateSubmitAction(bool found);
    void SyncLookupSettings();
    std::string FormSettingsFileName() const;
    void RestoreFormPlacement();
    void SaveFormPlacement();
    void PlaceSceneViewer();
    // The lyric database's answers about songs (the submission's questions).
    bool CanSubmitSong(const std::string& songName) const;
    bool SongKnown(const std::string& artist, const std::string& title, std::int32_t lengthSeconds,
                   int mode) const;
    bool NewSubmission() const;

    TMainWindowServices Services_;
    player::TPlayerSession& Session_;
    platform::IClock& Clock_;

    // Owned objects, in the order of their creation.
    config::TSongList CancelList_;
    config::TSongList UploadList_; // the submission's list of songs already sent
    std::unique_ptr<config::TSettings> Settings_;
    lyrics::TPlayerSongInfo SongInfo_;
    lyrics::TMp3Tag Mp3Tag_;
    lyrics::TTextLyrics Lyrics_;
    std::unique_ptr<database::TUploadLyric> UploadLyric_;
    editor::IEditor* Editor_ = nullptr; // a child window, deleted before the objects it uses
    database::ui::TUploadLyric* UploadLyricDialog_ = nullptr; // a child window, deleted before the submission
    std::unique_ptr<TMainScene> Scene_;
    TGLSceneViewer* GLSceneViewerMain_ = nullptr;
    TScrollState Scroll_;
    std::unique_ptr<TDisplayTextNoTimestamp> DisplayEngine_;
    TWASkin* Frame_ = nullptr;
    QWidget* PanelLoading_ = nullptr;
    lyrics::TSearchAgent Agent_;
    QSocketNotifier* AgentNotifier_ = nullptr;
    toolkit::TMouseGesture JvMouseGesture1_;
    QMenu* JvPopupMenuMain_ = nullptr;
    QMenu* PlayerMenu_ = nullptr;
    std::atomic<bool> PlayerNewsPending_{false};
    std::map<std::string, QAction*> Actions_;
    config::TFormSettings* Preferences_ = nullptr;
    config::ISettingsDialogView* PreferencesView_ = nullptr;
    std::unique_ptr<TCubeVisualization> Visualization_;

    // The display loop, started at the first showing: the player poll every 100 ms, and a one-shot frame
    // timer for the next change of the picture.
    QTimer* PollTimer_ = nullptr;
    QTimer* FrameTimer_ = nullptr;
    bool LoopFailed_ = false;
    // The song clock as the last frame saw it, to tell a poll that set it anew.
    struct TSongClock {
        int Kind = 0;
        bool Paused = false;
        std::string Title;
        std::int64_t Base = 0;
    };
    TSongClock SongClock() const;
    // Shown: switched on and not in the Minimal mode.
    bool VisualizationShown() const;
    bool SongClockMoved() const;
    TSongClock LastSongClock_;
    std::uint32_t LastPollTick_ = 0;
    std::uint64_t LastSceneLook_ = 0;
    int ViewMode_ = 0;
    int DragOffsetX_ = 0;
    int DragOffsetY_ = 0;
    int PopupMenuTag_ = 0;
    bool SystemMoveStarted_ = false; // the window manager moves the window until the button is released
    toolkit::TWheelAccumulator Wheel_;
    int WheelTarget_ = -1;
    bool Shown_ = false;
    bool LoadingPlaced_ = false;
    int SceneViewRightMargin_ = 15;
    // UpdateSong can be asked for again while it runs (the lookup lets window events run); the request is
    // then carried out once the running one has finished.
    bool InUpdateSong_ = false;
    bool UpdateSongAgain_ = false;
    // The submit action: its caption and whether the current lyrics could be submitted.
    std::string SubmitCaption_ = "Submit Lyric..";
    bool SubmitPossible_ = false;
};

} // namespace display
