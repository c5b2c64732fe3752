#pragma once
// A settings view that shows nothing: for running the settings store without a dialog or main window
// (tests of other areas, tools). The main window counts as not in its normal state, so its size is
// neither read nor written, and the loading panel counts as visible, so no song update is asked for.

#include "config/ISettingsView.h"

namespace config {

class TNullSettingsView : public ISettingsView {
public:
    void ShowVersion(const std::string&) override {}
    void ShowLyricsDir(const std::string&) override {}
    void ShowCheck(TSettingsCheckBox, bool) override {}
    void EnableCheck(TSettingsCheckBox, bool) override {}
    void HideVisualizationCheck() override {}
    void RemoveVisualizationPage() override {}
    void ShowTextSize(int) override {}
    void ShowScaleSlider(int) override {}
    void ShowScaleLabel(const std::string&) override {}
    void ShowVisRadius(int) override {}
    void ShowDisplayMode(int) override {}
    void ShowFadeSlider(int) override {}
    void EnableFadeSlider(bool) override {}
    void ShowUsername(const std::string&) override {}
    void ShowPassword(const std::string&) override {}
    void ShowLrclibUrl(const std::string&) override {}
    void ShowFilters(const TFilterList&) override {}
    void ShowCharset(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void EnableMouseGestureRecogniser() override {}
    void SetSeparatorSpace(float) override {}
    void ShowSeparator(bool) override {}
    void ShowVisualization(bool) override {}
    void SetVisualizationScale(float) override {}
    void RecreateVisualization(int) override {}
    void ShowPlaybackButtons(bool) override {}
    void ForceRelayout() override {}
    void RunResize() override {}
    void CheckDisplayModeActions(int) override {}
    void ShowFrameControls(bool) override {}
    void CheckFadeMenuItem(bool) override {}
    bool IsLoadingPanelVisible() override { return true; }
    bool HasTimestampedLyrics() override { return false; }
    void UpdateSong() override {}
    void ResetSearchButton() override {}
    void RedrawInternetIndicator() override {}
    void LoadLyricFont(const std::string&, int) override {}
    void UseSystemLyricFont(int) override {}
    void ReadSongAgain() override {}
    bool IsMainWindowNormal() override { return false; }
    int MainWindowWidth() override { return 0; }
    int MainWindowHeight() override { return 0; }
    void SetMainWindowSize(int, int) override {}
};

} // namespace config
