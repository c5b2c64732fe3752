#include "config/USettings.h"

#include "toolkit/AsciiText.h"

#include "config/ISettingsView.h"
#include "config/TSongList.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/TProfileFile.h"
#include "toolkit/TextCompare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace config {
namespace {

const char kPasswordKey[] = "KelvoTS";
constexpr int kPasswordKeyLength = 7;

const char kDefaultCharset[] = "charset_unicode";
const char kDefaultSearchUrl[] =
    "http://www.google.com/search?q=%22%Artist%%22%20%22%Title%%22%20lyrics&hl=en";
constexpr float kDefaultScale = 0.365f;

// Slider ranges of the dialog.
constexpr int kScaleSliderMin = 10;
constexpr int kScaleSliderMax = 220;
constexpr int kFadeSliderMin = 10;
constexpr int kFadeSliderMax = 120;
constexpr int kVisRadiusMax = 18;
constexpr int kTextSizeItems = 20; // "11" to "30"

template <typename T> T Limit(T value, T low, T high) {
    return value < low ? low : (value > high ? high : value);
}

std::string ScaleLabel(int position) {
    return std::to_string(position) + "%";
}

} // namespace

std::string EncipherPassword(const std::string& plain) {
    std::string out = plain.substr(0, plain.find('\0'));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = char((unsigned char)out[i] + (unsigned char)kPasswordKey[i % kPasswordKeyLength]);
    return out;
}

std::string DecipherPassword(const std::string& stored) {
    std::string out = stored.substr(0, stored.find('\0'));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = char((unsigned char)out[i] - (unsigned char)kPasswordKey[i % kPasswordKeyLength]);
    return out;
}

std::string FormatScale(float value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::optional<float> ParseScale(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    const auto comma = t.find(',');
    if (comma != std::string::npos) {
        if (t.find('.') != std::string::npos || t.find(',', comma + 1) != std::string::npos)
            return std::nullopt;
        t[comma] = '.';
    }
    if (t.empty() || t[0] == '+')
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != t.data() + t.size() || !std::isfinite(value) ||
        std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(value);
}

int CodePageOfCharset(const std::string& charset) {
    if (charset == "charset_unicode")
        return toolkit::kCodePageUtf8;
    if (charset == "charset_centraleurope")
        return 1250;
    if (charset == "charset_russian")
        return 1251;
    if (charset == "charset_greek")
        return 1253;
    return 1252;
}

TSettings::TSettings(ISettingsView& view, TSongList& cancelList, TSongList& uploadList,
                     std::string programFolder, std::string userDataFolder, char separator)
    : view_(view), cancelList_(cancelList), uploadList_(uploadList), separator_(separator),
      givenProgramFolder_(std::move(programFolder)), userDataFolder_(std::move(userDataFolder)) {}

std::string TSettings::Folder(std::string path) const {
    if (!path.empty() && path.back() != separator_ && path.back() != '/')
        path += separator_;
    return path;
}

void TSettings::PrepareFolders() {
    programFolder_ = Folder(givenProgramFolder_);
    programDataFolder_ = programFolder_ + "Cantrel" + separator_;
    settingsFolder_ = programDataFolder_;
    if (!(toolkit::EnsureFolder(settingsFolder_) && toolkit::IsFolderWritable(settingsFolder_)) &&
        !userDataFolder_.empty()) {
        const std::string userFolder = Folder(userDataFolder_) + "Cantrel" + separator_;
        if (toolkit::EnsureFolder(userFolder) && toolkit::IsFolderWritable(userFolder))
            settingsFolder_ = userFolder;
    }
    toolkit::EnsureFolder(settingsFolder_ + "lyrics");
    settingsFileName_ = settingsFolder_ + "Settings.ini";
}

std::string TSettings::ShippedFile(const std::string& name) const {
    const std::string own = settingsFolder_ + name;
    if (settingsFolder_ == programDataFolder_ || toolkit::FileExists(own))
        return own;
    return programDataFolder_ + name;
}

void TSettings::LoadSettings() {
    view_.ShowVersion(kVersionCaption);
    PrepareFolders();
    const toolkit::TProfileFile ini = toolkit::LoadProfileFile(settingsFileName_);
    view_.EnableMouseGestureRecogniser();

    const int fontSize =
        Limit(ini.ReadInteger("General", "FontSize", 15), std::numeric_limits<int>::min() + 11, 30);
    SelectTextSize(fontSize - 11);
    SetCharset(ini.ReadString("General", "Charset", kDefaultCharset));
    SetAnimateButtons(ini.ReadBool("General", "AnimateButtons", false));
    SetUseMouseGestures(ini.ReadBool("General", "UseMouseGestures", true));
    SetIncludeSubDirecoriesInSearch(ini.ReadBool("General", "IncludeSubDirecoriesInSearch", true));
    showSongInfo_ = ini.ReadBool("General", "ShowSongInfo", true);
    showButton2_ = ini.ReadBool("General", "ShowButton2", true);

    SetUpdateTimeMs(ini.ReadInteger("Visualization", "UpdateTimeMs", 40));
    const auto scale = ParseScale(ini.ReadString("Visualization", "Scale", ""));
    SetScale(scale ? *scale : kDefaultScale);
    SetVisEnableBeatDetection(ini.ReadBool("Visualization", "VisEnableBeatDetection", true));
    SetVisRadius(ini.ReadInteger("Visualization", "VisRadius", 6));

    SetLyricsDir(ini.ReadString("Files", "LyricsDir", settingsFolder_ + "lyrics"));
    SetSearchLyricDirectory(ini.ReadBool("Files", "SearchLyricDirectory", false));

    SetScroll(ini.ReadBool("Display", "Scroll", true));
    SetScrollSmooth(ini.ReadBool("Display", "ScrollSmooth", true));
    SetShowButtons(ini.ReadBool("Display", "ShowButtons", false));
    SetShowVisualization(false); // the visualization is off at every start, whatever the file says
    view_.HideVisualizationCheck();
    SetHighlightLine(ini.ReadBool("Display", "HighlightLine", true));
    SetFadeLyrics(ini.ReadBool("Display", "FadeLyrics", true));
    SetHighlightWords(ini.ReadBool("Display", "HighlightWords", true));
    songOffsets_.clear();
    for (const std::string& song : ini.KeyNames("LyricsOffsets"))
        SetSongOffset(song, ini.ReadInteger("LyricsOffsets", song, 0));
    SetFadeRatio(ini.ReadInteger("Display", "FadeRatio", 100));
    SetDisplayMode(ini.ReadInteger("Display", "DisplayMode", 0));

    SetSearchID3v2(ini.ReadBool("Lyrics", "SearchID3v2", true));
    SetSearchLyrics3(ini.ReadBool("Lyrics", "SearchLyrics3", true));
    SetSearchInternet(ini.ReadBool("Lyrics", "SearchInternet", true));
    SetReadTitleInfoFromTag(ini.ReadBool("Lyrics", "ReadTitleInfoFromTag", false));
    SetCloseCantrelAgentOnExit(ini.ReadBool("Lyrics", "CloseCantrelAgentOnExit", true));
    SetExcludeTextInBrackets(ini.ReadBool("Lyrics", "ExcludeTextInBrackets", true));
    SetRemoveTrackNumber(ini.ReadBool("Lyrics", "RemoveTrackNumber", true));
    searchUrl_ = ini.ReadString("Lyrics", "SearchUrl", kDefaultSearchUrl);

    SetUsername(ini.ReadString("Versevault", "Username", ""));
    SetPassword(DecipherPassword(ini.ReadString("Versevault", "Password", "")));
    SetVersevaultUrl(ini.ReadString("Versevault", "Url", kDefaultVersevaultUrl));
    SetPublishTo(ini.ReadString("Versevault", "PublishTo", kPublishToVersevault));
    SetLrclibUrl(ini.ReadString("Lrclib", "Url", kDefaultLrclibUrl));
    SetPinnedPlayer(ini.ReadString("Player", "PinnedPlayer", ""));

    if (view_.IsMainWindowNormal()) {
        const int width = view_.MainWindowWidth();
        const int height = view_.MainWindowHeight();
        const int storedWidth = ini.ReadInteger("FormSettings", "Width", width);
        const int storedHeight = ini.ReadInteger("FormSettings", "Height", height);
        // A size of zero or less would make the window vanish; such a value keeps the current size.
        view_.SetMainWindowSize(storedWidth > 0 ? storedWidth : width,
                                storedHeight > 0 ? storedHeight : height);
    }

    LoadFilters();
    ShowFilters();
    LoadCancelList();
    LoadUploadList();
    view_.RemoveVisualizationPage();
    loaded_ = true;
}

bool TSettings::SaveSettings() {
    if (!loaded_)
        return false;
    bool ok = true;
    toolkit::TProfileFile ini = toolkit::LoadProfileFile(settingsFileName_);
    ini.WriteInteger("General", "FontSize", TextSize());
    ini.WriteBool("General", "AnimateButtons", animateButtons_);
    ini.WriteBool("General", "UseMouseGestures", useMouseGestures_);
    ini.WriteBool("General", "IncludeSubDirecoriesInSearch", includeSubDirecoriesInSearch_);
    ini.WriteBool("General", "ShowButton2", showButton2_);
    ini.WriteBool("General", "ShowSongInfo", showSongInfo_);
    ini.WriteString("General", "Charset", charset_);
    ini.WriteString("Files", "LyricsDir", lyricsDir_);
    ini.WriteBool("Files", "SearchLyricDirectory", searchLyricDirectory_);
    ini.WriteInteger("Visualization", "UpdateTimeMs", updateTimeMs_);
    ini.WriteString("Visualization", "Scale", FormatScale(scale_));
    ini.WriteInteger("Visualization", "VisRadius", visRadius_);
    ini.WriteBool("Visualization", "VisEnableBeatDetection", visEnableBeatDetection_);
    ini.WriteBool("Display", "Scroll", scroll_);
    ini.WriteBool("Display", "ScrollSmooth", scrollSmooth_);
    ini.WriteBool("Display", "ShowButtons", showButtons_);
    ini.WriteBool("Display", "ShowVisualization", showVisualization_);
    ini.WriteBool("Display", "HighlightLine", highlightLine_);
    ini.WriteInteger("Display", "DisplayMode", displayMode_);
    ini.WriteBool("Display", "FadeLyrics", fadeLyrics_);
    // Added to the file only once it is turned off, so a first save holds the original set of keys.
    if (!highlightWords_ || ini.Find("Display", "HighlightWords"))
        ini.WriteBool("Display", "HighlightWords", highlightWords_);
    for (const auto& [key, entry] : songOffsets_)
        ini.WriteInteger("LyricsOffsets", entry.first, entry.second);
    ini.WriteInteger("Display", "FadeRatio", fadeRatio_);
    ini.WriteBool("Lyrics", "SearchID3v2", searchID3v2_);
    ini.WriteBool("Lyrics", "SearchLyrics3", searchLyrics3_);
    ini.WriteBool("Lyrics", "SearchInternet", searchInternet_);
    ini.WriteBool("Lyrics", "ReadTitleInfoFromTag", readTitleInfoFromTag_);
    ini.WriteBool("Lyrics", "CloseCantrelAgentOnExit", closeCantrelAgentOnExit_);
    ini.WriteBool("Lyrics", "ExcludeTextInBrackets", excludeTextInBrackets_);
    ini.WriteBool("Lyrics", "RemoveTrackNumber", removeTrackNumber_);
    ini.WriteString("Lyrics", "SearchUrl", searchUrl_);
    ini.WriteString("Versevault", "Username", username_);
    ini.WriteString("Versevault", "Password", EncipherPassword(password_));
    ini.WriteString("Versevault", "Url", versevaultUrl_);
    ini.WriteString("Versevault", "PublishTo", publishTo_);
    ini.WriteString("Lrclib", "Url", lrclibUrl_);
    ini.WriteString("Player", "PinnedPlayer", pinnedPlayer_);
    if (view_.IsMainWindowNormal()) {
        ini.WriteInteger("FormSettings", "Width", view_.MainWindowWidth());
        ini.WriteInteger("FormSettings", "Height", view_.MainWindowHeight());
    }
    std::string error;
    // The file holds the account's password: the owner alone may read it.
    if (!toolkit::SaveProfileFile(ini, settingsFileName_, &error, toolkit::TFileAccess::OwnerOnly)) {
        view_.ShowWarning(error);
        ok = false;
    }
    // A failure here is shown too, and the song lists are still written so that nothing of them is lost.
    if (!SaveUserFilters(&error)) {
        view_.ShowWarning(error);
        ok = false;
    }
    SaveCancelList();
    SaveUploadList();
    return ok;
}

void TSettings::SelectTextSize(int index) {
    textSizeIndex_ = (index >= 0 && index < kTextSizeItems) ? index : -1;
    view_.ShowTextSize(textSizeIndex_);
}

void TSettings::SetLyricsDir(const std::string& value) {
    lyricsDir_ = value;
    view_.ShowLyricsDir(value);
}

void TSettings::SetUseMouseGestures(bool value) {
    useMouseGestures_ = value;
    view_.ShowCheck(TSettingsCheckBox::UseMouseGestures, value);
}

void TSettings::SetShowVisualization(bool value) {
    showVisualization_ = value;
    if (value) {
        view_.SetSeparatorSpace(150);
        view_.ShowSeparator(true);
    } else {
        view_.SetSeparatorSpace(showButtons_ ? 52 : 30);
        view_.ShowSeparator(false);
    }
    view_.ForceRelayout();
    view_.ShowVisualization(value);
    view_.ShowCheck(TSettingsCheckBox::ShowVisualization, value);
}

void TSettings::SetShowButtons(bool value) {
    showButtons_ = value;
    view_.ShowPlaybackButtons(value);
    view_.ShowCheck(TSettingsCheckBox::ShowButtons, value);
    view_.RunResize();
}

void TSettings::SetHighlightLine(bool value) {
    highlightLine_ = value;
    view_.ShowCheck(TSettingsCheckBox::HighlightLine, value);
    // Words light up within the highlighted line only.
    view_.EnableCheck(TSettingsCheckBox::HighlightWords, value);
}

void TSettings::SetScroll(bool value) {
    scroll_ = value;
    view_.ShowCheck(TSettingsCheckBox::Scroll, value);
    view_.EnableCheck(TSettingsCheckBox::ScrollSmooth, value);
}

void TSettings::SetScrollSmooth(bool value) {
    scrollSmooth_ = value;
    view_.ShowCheck(TSettingsCheckBox::ScrollSmooth, value);
}

void TSettings::SetIncludeSubDirecoriesInSearch(bool value) {
    includeSubDirecoriesInSearch_ = value;
    view_.ShowCheck(TSettingsCheckBox::IncludeSubDirecoriesInSearch, value);
}

void TSettings::SetExcludeTextInBrackets(bool value) {
    excludeTextInBrackets_ = value;
    view_.ShowCheck(TSettingsCheckBox::ExcludeTextInBrackets, value);
}

void TSettings::SetRemoveTrackNumber(bool value) {
    removeTrackNumber_ = value;
    view_.ShowCheck(TSettingsCheckBox::RemoveTrackNumber, value);
}

void TSettings::SetSearchID3v2(bool value) {
    searchID3v2_ = value;
    view_.ShowCheck(TSettingsCheckBox::SearchID3v2, value);
}

void TSettings::SetSearchLyrics3(bool value) {
    searchLyrics3_ = value;
    view_.ShowCheck(TSettingsCheckBox::SearchLyrics3, value);
}

void TSettings::SetSearchInternet(bool value) {
    searchInternet_ = value;
    view_.ShowCheck(TSettingsCheckBox::SearchInternet, value);
    if (!value)
        view_.ResetSearchButton();
    view_.RedrawInternetIndicator();
}

void TSettings::SetCloseCantrelAgentOnExit(bool value) {
    closeCantrelAgentOnExit_ = value;
}

void TSettings::SetUpdateTimeMs(int value) {
    updateTimeMs_ = value;
}

void TSettings::SetScale(float value) {
    if (!std::isfinite(value))
        return;
    const double raw = std::nearbyint(double(value) * 200.0); // ties to even
    const int position = int(Limit(raw, double(kScaleSliderMin), double(kScaleSliderMax)));
    // A value beyond the slider's range is limited to it even when the slider does not move.
    if (raw != double(position))
        value = float(position) / 200.0f;
    scale_ = value;
    if (position != scaleSliderPosition_) {
        scaleSliderPosition_ = position;
        view_.ShowScaleSlider(position);
        SetScale(float(position) / 200.0f); // the slider's change handler
    }
    view_.ShowScaleLabel(ScaleLabel(position));
    view_.SetVisualizationScale(scale_);
}

void TSettings::SetVisRadius(int value) {
    value = Limit(value, 0, kVisRadiusMax);
    visRadius_ = value;
    view_.ShowVisRadius(value);
    view_.RecreateVisualization(value);
}

void TSettings::SetAnimateButtons(bool value) {
    animateButtons_ = value;
}

void TSettings::SetVisEnableBeatDetection(bool value) {
    visEnableBeatDetection_ = value;
    view_.ShowCheck(TSettingsCheckBox::VisEnableBeatDetection, value);
}

void TSettings::SetReadTitleInfoFromTag(bool value) {
    readTitleInfoFromTag_ = value;
    view_.ShowCheck(TSettingsCheckBox::ReadTitleInfoFromTag, value);
}

void TSettings::SetSearchLyricDirectory(bool value) {
    searchLyricDirectory_ = value;
    view_.ShowCheck(TSettingsCheckBox::SearchLyricDirectory, value);
}

void TSettings::SetDisplayMode(int value) {
    value = Limit(value, 0, 1);
    displayMode_ = value;
    view_.CheckDisplayModeActions(value);
    view_.ShowDisplayMode(value);
    if (value != 0) {
        view_.EnableCheck(TSettingsCheckBox::ShowVisualization, false);
        view_.EnableCheck(TSettingsCheckBox::ShowButtons, false);
        view_.SetSeparatorSpace(30);
        view_.ShowSeparator(false);
        view_.ShowVisualization(false);
        view_.ShowPlaybackButtons(false);
    } else {
        view_.EnableCheck(TSettingsCheckBox::ShowVisualization, true);
        view_.EnableCheck(TSettingsCheckBox::ShowButtons, true);
        SetShowVisualization(showVisualization_);
        SetShowButtons(showButtons_);
        SetShowVisualization(showVisualization_);
    }
    view_.ForceRelayout();
    view_.ShowFrameControls(value == 0);
    if (!view_.IsLoadingPanelVisible())
        view_.UpdateSong();
}

void TSettings::SetFadeLyrics(bool value) {
    fadeLyrics_ = value;
    view_.EnableFadeSlider(value);
    view_.ShowCheck(TSettingsCheckBox::FadeLyrics, value);
    view_.CheckFadeMenuItem(value);
    if (view_.HasTimestampedLyrics())
        view_.UpdateSong();
}

void TSettings::SetHighlightWords(bool value) {
    highlightWords_ = value;
    view_.ShowCheck(TSettingsCheckBox::HighlightWords, value);
}

std::int32_t TSettings::SongOffset(const std::string& song) const {
    const auto it = songOffsets_.find(toolkit::LowerAscii(song));
    return it == songOffsets_.end() ? 0 : it->second.second;
}

void TSettings::SetSongOffset(const std::string& song, std::int32_t offset) {
    if (song.empty())
        return;
    auto& entry = songOffsets_[toolkit::LowerAscii(song)];
    if (entry.first.empty())
        entry.first = song;
    entry.second = offset;
}

void TSettings::SetFadeRatio(int value) {
    // A value beyond the slider's range is limited to it even when the slider does not move.
    value = Limit(value, kFadeSliderMin, kFadeSliderMax);
    fadeRatio_ = value;
    if (value != fadeSliderPosition_) {
        fadeSliderPosition_ = value;
        view_.ShowFadeSlider(value);
        SetFadeRatio(value); // the slider's change handler
    }
}

void TSettings::SetCharset(const std::string& value) {
    const bool changed = value != charset_;
    charset_ = value;
    view_.ShowCharset(value);
    const int page = CodePageOfCharset(value);
    const bool pageChanged = page != toolkit::ActiveCodePage();
    toolkit::SetActiveCodePage(page);
    if (pageChanged) { // the lists were sorted in the old page's order
        cancelList_.Resort();
        uploadList_.Resort();
    }
    const bool small = TextSize() < 16;
    // UTF-8 text has no font file: its glyphs, of any script, come from the system's fonts.
    if (toolkit::IsUtf8CodePage(page))
        view_.UseSystemLyricFont(small ? 14 : 22);
    else
        view_.LoadLyricFont(ShippedFile(value + (small ? "14.gsf" : "22.gsf")), small ? 14 : 22);
    // Whoever chose it (the menu or the dialog), what is shown now is read again in the new code page.
    if (changed && loaded_)
        view_.ReadSongAgain();
}

void TSettings::SetUsername(const std::string& value) {
    username_ = value;
    view_.ShowUsername(value);
}

void TSettings::SetPassword(const std::string& value) {
    password_ = value;
    view_.ShowPassword(value);
}

void TSettings::SetLrclibUrl(const std::string& value) {
    // Spaces around a pasted address are no part of it.
    const auto first = value.find_first_not_of(" \t");
    lrclibUrl_ = first == std::string::npos ? std::string()
                                            : value.substr(first, value.find_last_not_of(" \t") - first + 1);
    view_.ShowLrclibUrl(lrclibUrl_);
}

const std::string& TSettings::LrclibUrl() const {
    static const std::string kDefault = kDefaultLrclibUrl;
    return lrclibUrl_.empty() ? kDefault : lrclibUrl_;
}

void TSettings::SetVersevaultUrl(const std::string& value) {
    versevaultUrl_ = value;
}

void TSettings::SetPublishTo(const std::string& value) {
    publishTo_ = kPublishToVersevault;
    for (const char* choice : {kPublishToLrclib, kPublishToBoth}) {
        if (toolkit::SameTextIgnoreCase(value, choice))
            publishTo_ = choice;
    }
}

void TSettings::SetPinnedPlayer(const std::string& value) {
    const bool isKey = value.size() <= 255 && std::all_of(value.begin(), value.end(), [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9') || c == '_' || c == '-';
                       });
    pinnedPlayer_ = isKey ? value : std::string();
    view_.PinPlayer(pinnedPlayer_);
}

void TSettings::LoadFilters() {
    filters_.Clear();
    filters_.MergeProfile(toolkit::LoadProfileFile(settingsFolder_ + "UserFilters.ini"));
    filters_.MergeProfile(toolkit::LoadProfileFile(ShippedFile("Filters.ini")));
}

void TSettings::ShowFilters() {
    view_.ShowFilters(filters_);
}

bool TSettings::SaveUserFilters(std::string* error) {
    const std::string fileName = settingsFolder_ + "UserFilters.ini";
    toolkit::TProfileFile ini = toolkit::LoadProfileFile(fileName);
    filters_.WriteProfile(ini);
    return toolkit::SaveProfileFile(ini, fileName, error);
}

void TSettings::LoadCancelList() {
    cancelList_.LoadFromFile(settingsFolder_ + "CancelList.txt");
}

void TSettings::LoadUploadList() {
    uploadList_.LoadFromFile(settingsFolder_ + "Upload.txt");
}

bool TSettings::SaveCancelList() {
    return cancelList_.SaveToFile(settingsFolder_ + "CancelList.txt");
}

bool TSettings::SaveUploadList() {
    return uploadList_.SaveToFile(settingsFolder_ + "Upload.txt");
}

} // namespace config
