#pragma once
// A settings view for tests: records every call as a short text ("ShowCheck(Scroll,1)") and keeps the
// state a dialog and main window would show, so tests can check both the order of effects and where
// they end.

#include "config/ISettingsView.h"
#include "config/TFilterList.h"

#include <map>
#include <string>
#include <vector>

namespace config {

inline const char* CheckBoxName(TSettingsCheckBox box) {
    switch (box) {
    case TSettingsCheckBox::UseMouseGestures:
        return "UseMouseGestures";
    case TSettingsCheckBox::IncludeSubDirecoriesInSearch:
        return "IncludeSubDirecoriesInSearch";
    case TSettingsCheckBox::SearchLyricDirectory:
        return "SearchLyricDirectory";
    case TSettingsCheckBox::ShowVisualization:
        return "ShowVisualization";
    case TSettingsCheckBox::ShowButtons:
        return "ShowButtons";
    case TSettingsCheckBox::HighlightLine:
        return "HighlightLine";
    case TSettingsCheckBox::HighlightWords:
        return "HighlightWords";
    case TSettingsCheckBox::Scroll:
        return "Scroll";
    case TSettingsCheckBox::ScrollSmooth:
        return "ScrollSmooth";
    case TSettingsCheckBox::FadeLyrics:
        return "FadeLyrics";
    case TSettingsCheckBox::SearchID3v2:
        return "SearchID3v2";
    case TSettingsCheckBox::SearchLyrics3:
        return "SearchLyrics3";
    case TSettingsCheckBox::SearchInternet:
        return "SearchInternet";
    case TSettingsCheckBox::ReadTitleInfoFromTag:
        return "ReadTitleInfoFromTag";
    case TSettingsCheckBox::ExcludeTextInBrackets:
        return "ExcludeTextInBrackets";
    case TSettingsCheckBox::RemoveTrackNumber:
        return "RemoveTrackNumber";
    case TSettingsCheckBox::VisEnableBeatDetection:
        return "VisEnableBeatDetection";
    }
    return "?";
}

class TRecordingSettingsView : public ISettingsView {
public:
    std::vector<std::string> calls;
    // Shown state.
    std::map<std::string, bool> checks;
    std::map<std::string, bool> enabled;
    std::string version, lyricsDir, scaleLabel, username, password, fontFile, charset, pinnedPlayer;
    int textSize = -2, scaleSlider = -1, visRadius = -1, displayMode = -1, fadeSlider = -1, fontSize = 0;
    float visualizationScale = 0;
    std::vector<std::string> filterCaptions;
    std::vector<std::string> warnings;
    // Answers to the store's questions.
    bool loadingPanelVisible = false;
    bool timestamped = false;
    bool normal = true;
    int width = 800, height = 600;

    void Clear() { calls.clear(); }

    void ShowVersion(const std::string& caption) override { version = caption; }
    void ShowLyricsDir(const std::string& path) override {
        Record("ShowLyricsDir(" + (lyricsDir = path) + ")");
    }
    void ShowCheck(TSettingsCheckBox box, bool checked) override {
        checks[CheckBoxName(box)] = checked;
        Record(std::string("ShowCheck(") + CheckBoxName(box) + "," + B(checked) + ")");
    }
    void EnableCheck(TSettingsCheckBox box, bool on) override {
        enabled[CheckBoxName(box)] = on;
        Record(std::string("EnableCheck(") + CheckBoxName(box) + "," + B(on) + ")");
    }
    void HideVisualizationCheck() override { Record("HideVisualizationCheck"); }
    void RemoveVisualizationPage() override { Record("RemoveVisualizationPage"); }
    void ShowTextSize(int index) override {
        Record("ShowTextSize(" + std::to_string(textSize = index) + ")");
    }
    void ShowScaleSlider(int position) override {
        Record("ShowScaleSlider(" + std::to_string(scaleSlider = position) + ")");
    }
    void ShowScaleLabel(const std::string& text) override {
        Record("ShowScaleLabel(" + (scaleLabel = text) + ")");
    }
    void ShowVisRadius(int position) override {
        Record("ShowVisRadius(" + std::to_string(visRadius = position) + ")");
    }
    void ShowDisplayMode(int mode) override {
        Record("ShowDisplayMode(" + std::to_string(displayMode = mode) + ")");
    }
    void ShowFadeSlider(int position) override {
        Record("ShowFadeSlider(" + std::to_string(fadeSlider = position) + ")");
    }
    void EnableFadeSlider(bool on) override {
        enabled["FadeSlider"] = on;
        Record(std::string("EnableFadeSlider(") + B(on) + ")");
    }
    void ShowUsername(const std::string& text) override { Record("ShowUsername(" + (username = text) + ")"); }
    void ShowPassword(const std::string& text) override { Record("ShowPassword(" + (password = text) + ")"); }
    void ShowLrclibUrl(const std::string& url) override { Record("ShowLrclibUrl(" + url + ")"); }
    void ShowFilters(const TFilterList& filters) override {
        filterCaptions.clear();
        for (const auto& site : filters.Items())
            filterCaptions.push_back(site.Url);
        Record("ShowFilters");
    }
    void ShowCharset(const std::string& value) override { Record("ShowCharset(" + (charset = value) + ")"); }
    void ShowWarning(const std::string& message) override {
        warnings.push_back(message);
        Record("ShowWarning");
    }
    void EnableMouseGestureRecogniser() override { Record("EnableMouseGestureRecogniser"); }
    void SetSeparatorSpace(float space) override {
        Record("SetSeparatorSpace(" + std::to_string(int(space)) + ")");
    }
    void ShowSeparator(bool shown) override { Record(std::string("ShowSeparator(") + B(shown) + ")"); }
    void ShowVisualization(bool shown) override {
        Record(std::string("ShowVisualization(") + B(shown) + ")");
    }
    void SetVisualizationScale(float scale) override {
        visualizationScale = scale;
        Record("SetVisualizationScale");
    }
    void RecreateVisualization(int radius) override {
        Record("RecreateVisualization(" + std::to_string(radius) + ")");
    }
    void ShowPlaybackButtons(bool shown) override {
        Record(std::string("ShowPlaybackButtons(") + B(shown) + ")");
    }
    void ForceRelayout() override { Record("ForceRelayout"); }
    void RunResize() override { Record("RunResize"); }
    void CheckDisplayModeActions(int mode) override {
        Record("CheckDisplayModeActions(" + std::to_string(mode) + ")");
    }
    void ShowFrameControls(bool shown) override {
        Record(std::string("ShowFrameControls(") + B(shown) + ")");
    }
    void CheckFadeMenuItem(bool checked) override {
        Record(std::string("CheckFadeMenuItem(") + B(checked) + ")");
    }
    bool IsLoadingPanelVisible() override { return loadingPanelVisible; }
    bool HasTimestampedLyrics() override { return timestamped; }
    void UpdateSong() override { Record("UpdateSong"); }
    void PinPlayer(const std::string& key) override { Record("PinPlayer(" + (pinnedPlayer = key) + ")"); }
    void ResetSearchButton() override { Record("ResetSearchButton"); }
    void RedrawInternetIndicator() override { Record("RedrawInternetIndicator"); }
    void LoadLyricFont(const std::string& fileName, int size) override {
        fontFile = fileName;
        fontSize = size;
        Record("LoadLyricFont(" + std::to_string(size) + ")");
    }
    void UseSystemLyricFont(int size) override {
        fontFile.clear();
        fontSize = size;
        Record("UseSystemLyricFont(" + std::to_string(size) + ")");
    }
    void ReadSongAgain() override { Record("ReadSongAgain"); }
    bool IsMainWindowNormal() override { return normal; }
    int MainWindowWidth() override { return width; }
    int MainWindowHeight() override { return height; }
    void SetMainWindowSize(int w, int h) override {
        width = w;
        height = h;
        Record("SetMainWindowSize(" + std::to_string(w) + "," + std::to_string(h) + ")");
    }

private:
    static const char* B(bool value) { return value ? "1" : "0"; }
    void Record(std::string call) { calls.push_back(std::move(call)); }
};

} // namespace config
