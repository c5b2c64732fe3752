#pragma once
// What the settings store tells the outside world when a setting changes: the preferences dialog's
// controls (which always mirror the settings) and the parts of the main window a setting acts on. The
// Qt layer implements it; tests use a recording fake. The store owns no widget and keeps a reference to
// its view for its whole life. The dialog's part is an interface of its own, which the dialog implements;
// the main window implements the whole view and passes the dialog's part on to it.
//
// When the store moves a control (a check box, a slider, the size list), the view only shows the new
// state: it must not call back into the setters for that change. The store itself runs the two sliders'
// change handlers where a move of the slider feeds back into the setting.

#include <string>

namespace config {

class TFilterList;

// The dialog's check boxes that mirror a boolean setting, named after the setting.
enum class TSettingsCheckBox {
    UseMouseGestures,
    IncludeSubDirecoriesInSearch,
    SearchLyricDirectory,
    ShowVisualization,
    ShowButtons,
    HighlightLine,
    Scroll,
    ScrollSmooth,
    FadeLyrics,
    SearchID3v2,
    SearchLyrics3,
    SearchInternet,
    ReadTitleInfoFromTag,
    ExcludeTextInBrackets,
    RemoveTrackNumber,
    VisEnableBeatDetection,
    HighlightWords,
};

// The preferences dialog's controls.
class ISettingsDialogView {
public:
    virtual ~ISettingsDialogView() = default;

    // The About page's version label.
    virtual void ShowVersion(const std::string& caption) = 0;
    // Caption of the lyrics folder button; the path is a program path (show it through toolkit::DisplayPath).
    virtual void ShowLyricsDir(const std::string& path) = 0;
    virtual void ShowCheck(TSettingsCheckBox box, bool checked) = 0;
    virtual void EnableCheck(TSettingsCheckBox box, bool enabled) = 0;
    // Hides "Show Visualization"; "Show Playback Buttons" moves up to its place.
    virtual void HideVisualizationCheck() = 0;
    // Removes the page tree's "Visualization" item.
    virtual void RemoveVisualizationPage() = 0;
    // Selection of the text size list ("11" to "30"), -1 for none.
    virtual void ShowTextSize(int index) = 0;
    // Scale slider (10 to 220) and the label beside it.
    virtual void ShowScaleSlider(int position) = 0;
    virtual void ShowScaleLabel(const std::string& text) = 0;
    // Radius up-down control (0 to 18).
    virtual void ShowVisRadius(int position) = 0;
    // The display-mode radio group: 0 Default, 1 Minimal.
    virtual void ShowDisplayMode(int mode) = 0;
    // Fade slider (10 to 120).
    virtual void ShowFadeSlider(int position) = 0;
    virtual void EnableFadeSlider(bool enabled) = 0;
    virtual void ShowUsername(const std::string& text) = 0;
    virtual void ShowPassword(const std::string& text) = 0;
    // The open lyric database's base address.
    virtual void ShowLrclibUrl(const std::string& url) = 0;
    // Refills the search-site list: one item per site, caption Url, check mark Enabled, comment
    // Description.
    virtual void ShowFilters(const TFilterList& filters) = 0;
    // The character set control shows the Charset value.
    virtual void ShowCharset(const std::string& charset) = 0;
};

// The whole view: the dialog's controls and the main window.
class ISettingsView : public ISettingsDialogView {
public:
    // A warning message box with a single OK button.
    virtual void ShowWarning(const std::string& message) = 0;

    // ---- The main window ----
    virtual void EnableMouseGestureRecogniser() = 0;
    // The height kept free below the lyrics (the separator's TagFloat), and the separator's visibility.
    virtual void SetSeparatorSpace(float space) = 0;
    virtual void ShowSeparator(bool shown) = 0;
    virtual void ShowVisualization(bool shown) = 0;
    virtual void SetVisualizationScale(float scale) = 0;
    // Rebuilds the cube visualization with the radius.
    virtual void RecreateVisualization(int radius) = 0;
    virtual void ShowPlaybackButtons(bool shown) = 0;
    // A forced re-layout: the window's width grows by one and shrinks back.
    virtual void ForceRelayout() = 0;
    // Runs the main window's resize handler.
    virtual void RunResize() = 0;
    // "Default" is checked exactly when mode is 0, "Minimal" (karaoke) exactly when it is 1.
    virtual void CheckDisplayModeActions(int mode) = 0;
    // The frame's scroll bar and thumb, song information strip, search button, edit button and
    // stay-on-top switch.
    virtual void ShowFrameControls(bool shown) = 0;
    // The "Fade in lyrics" menu item's check mark.
    virtual void CheckFadeMenuItem(bool checked) = 0;
    virtual bool IsLoadingPanelVisible() = 0;
    // True when the lyric document holds timestamped lyrics.
    virtual bool HasTimestampedLyrics() = 0;
    // Runs the song-change pipeline again.
    virtual void UpdateSong() = 0;
    // The frame's search button goes back to idle; a failure there is ignored.
    virtual void ResetSearchButton() = 0;
    virtual void RedrawInternetIndicator() = 0;
    // Loads the lyric font's glyphs from the file at the size; a failure leaves the glyphs as they were.
    virtual void LoadLyricFont(const std::string& fileName, int size) = 0;
    // The lyric font draws from the system's fonts at the size (UTF-8 text has no font file).
    virtual void UseSystemLyricFont(int size) = 0;
    // The character set changed after loading: what is shown was read in the old code page, so the song's
    // title is read again and the song looked up anew.
    virtual void ReadSongAgain() = 0;
    // Neither minimised nor maximised.
    virtual bool IsMainWindowNormal() = 0;
    virtual int MainWindowWidth() = 0;
    virtual int MainWindowHeight() = 0;
    virtual void SetMainWindowSize(int width, int height) = 0;
    // The player on the session bus to follow: a player's key, or empty for the automatic choice.
    virtual void PinPlayer(const std::string& key) { (void)key; }
};

} // namespace config
