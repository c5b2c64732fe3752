#pragma once
// The settings store: the user's preferences for the whole run, read from "Settings.ini" once when the
// main window is first shown and written back when the preferences dialog closes and when the program
// exits. Readers take values through the getters; every change goes through the setter named "Set" +
// the INI key, which stores the value and then tells the view (the dialog's controls and the main
// window) what changed.
//
// Ownership: the main window creates the one TSettings and passes it on. The store owns the search-site
// list; it keeps references to the view and to the cancel and upload lists, which their holders (the
// main window and the submission window) own and which must outlive it.
//
// Folders: the settings folder is the program folder + "Cantrel" + separator. Where that folder cannot
// be created or written (a program installed into a system folder), the user's data folder + "Cantrel"
// is used instead; the files that come with the program (font files, "Filters.ini") are then read from
// the program's own "Cantrel" folder unless the settings folder holds a copy.

#include "config/TFilterList.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace config {

class ISettingsView;
class TSongList;

// The version shown on the About page.
inline constexpr const char* kVersionCaption = "Version 2.4";
// The product's web site: help pages, and the home page named to the web services the program uses.
inline constexpr const char* kProductSite = "http://www.cantrel.org";
// The open lyric database's address when Settings.ini names none.
inline constexpr const char* kDefaultLrclibUrl = "https://lrclib.net";
// The account's lyric database when Settings.ini names none.
inline constexpr const char* kDefaultVersevaultUrl = "https://versevault.example.org";
// Where submissions go ([Versevault] PublishTo): the account's database, the open one, or both.
inline constexpr const char* kPublishToVersevault = "Versevault";
inline constexpr const char* kPublishToLrclib = "Lrclib";
inline constexpr const char* kPublishToBoth = "Both";

class TSettings {
public:
    // programFolder and userDataFolder may end with the separator or not. An empty userDataFolder
    // means there is no second place to keep the settings.
    TSettings(ISettingsView& view, TSongList& cancelList, TSongList& uploadList, std::string programFolder,
              std::string userDataFolder, char separator);
    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

    // Lays out the folders, reads Settings.ini and applies every value through its setter, then loads
    // the search-site list, the cancel list and the upload list.
    void LoadSettings();
    // Writes Settings.ini, then UserFilters.ini, CancelList.txt and Upload.txt. A failure to write
    // Settings.ini or UserFilters.ini is shown as a warning and the remaining files are still written;
    // false when either failed. Before LoadSettings has run there is nothing to save: returns false and
    // writes nothing, so an early exit cannot replace the user's settings with blanks.
    bool SaveSettings();

    // ---- Folders and files ----
    const std::string& SettingsFileName() const { return settingsFileName_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& SettingsFolder() const { return settingsFolder_; }
    // The program's own "Cantrel" folder, where the files that come with the program are.
    const std::string& ProgramDataFolder() const { return programDataFolder_; }
    // A file that comes with the program: the settings folder's copy when there is one, else the one
    // in the program's "Cantrel" folder.
    std::string ShippedFile(const std::string& name) const;

    // ---- Values ----
    const std::string& LyricsDir() const { return lyricsDir_; }
    bool UseMouseGestures() const { return useMouseGestures_; }
    bool ShowVisualization() const { return showVisualization_; }
    bool ShowButtons() const { return showButtons_; }
    bool HighlightLine() const { return highlightLine_; }
    bool Scroll() const { return scroll_; }
    bool ScrollSmooth() const { return scrollSmooth_; }
    bool IncludeSubDirecoriesInSearch() const { return includeSubDirecoriesInSearch_; }
    bool ExcludeTextInBrackets() const { return excludeTextInBrackets_; }
    bool RemoveTrackNumber() const { return removeTrackNumber_; }
    bool SearchID3v2() const { return searchID3v2_; }
    bool SearchLyrics3() const { return searchLyrics3_; }
    bool SearchInternet() const { return searchInternet_; }
    bool CloseCantrelAgentOnExit() const { return closeCantrelAgentOnExit_; }
    int UpdateTimeMs() const { return updateTimeMs_; }
    int VisRadius() const { return visRadius_; }
    bool AnimateButtons() const { return animateButtons_; }
    bool ReadTitleInfoFromTag() const { return readTitleInfoFromTag_; }
    float Scale() const { return scale_; }
    bool VisEnableBeatDetection() const { return visEnableBeatDetection_; }
    bool ShowButton2() const { return showButton2_; }
    bool ShowSongInfo() const { return showSongInfo_; }
    int DisplayMode() const { return displayMode_; } // 0 Default, 1 Minimal
    bool FadeLyrics() const { return fadeLyrics_; }
    // The current line of lyrics with word times is highlighted word by word as it is sung.
    bool HighlightWords() const { return highlightWords_; }
    // The live offset of the lyrics of a song whose lyrics come from its own tags (those files are not
    // rewritten): ms by song name, letter case ignored; 0 for a song without one.
    std::int32_t SongOffset(const std::string& song) const;
    int FadeRatio() const { return fadeRatio_; }
    const std::string& Charset() const { return charset_; }
    const std::string& SearchUrl() const { return searchUrl_; }
    bool SearchLyricDirectory() const { return searchLyricDirectory_; }
    const std::string& Username() const { return username_; }
    const std::string& Password() const { return password_; } // plain text
    // The open lyric database (LRCLIB API): its base address, [Lrclib] Url; the default while it is empty.
    const std::string& LrclibUrl() const;
    // The account's lyric database: scheme and host, [Versevault] Url.
    const std::string& VersevaultUrl() const { return versevaultUrl_; }
    // Where submissions go: kPublishToVersevault, kPublishToLrclib or kPublishToBoth.
    const std::string& PublishTo() const { return publishTo_; }
    // The key of the player on the session bus the user pinned ("mpv", "vlc"); empty for the automatic
    // choice.
    const std::string& PinnedPlayer() const { return pinnedPlayer_; }

    // The text size is the selection of the dialog's size list ("11" to "30"): index + 11, and 10
    // when nothing is selected.
    int TextSizeIndex() const { return textSizeIndex_; }
    int TextSize() const { return textSizeIndex_ < 0 ? 10 : textSizeIndex_ + 11; }
    // Moves the size list's selection; an index outside the list leaves no selection.
    void SelectTextSize(int index);

    // ---- Setters ----
    void SetLyricsDir(const std::string& value);
    void SetUseMouseGestures(bool value);
    void SetShowVisualization(bool value);
    void SetShowButtons(bool value);
    void SetHighlightLine(bool value);
    void SetScroll(bool value);
    void SetScrollSmooth(bool value);
    void SetIncludeSubDirecoriesInSearch(bool value);
    void SetExcludeTextInBrackets(bool value);
    void SetRemoveTrackNumber(bool value);
    void SetSearchID3v2(bool value);
    void SetSearchLyrics3(bool value);
    void SetSearchInternet(bool value);
    void SetCloseCantrelAgentOnExit(bool value);
    void SetUpdateTimeMs(int value);
    void SetScale(float value);
    void SetVisRadius(int value);
    void SetAnimateButtons(bool value);
    void SetVisEnableBeatDetection(bool value);
    void SetReadTitleInfoFromTag(bool value);
    void SetSearchLyricDirectory(bool value);
    void SetDisplayMode(int value);
    void SetFadeLyrics(bool value);
    void SetHighlightWords(bool value);
    // Kept for the run and written to the "LyricsOffsets" section of Settings.ini with the other settings; a
    // song name that cannot be a key there (one with "=" or starting with "[") is kept for the run only.
    void SetSongOffset(const std::string& song, std::int32_t offset);
    void SetFadeRatio(int value);
    void SetCharset(const std::string& value);
    void SetUsername(const std::string& value);
    void SetPassword(const std::string& value);
    void SetLrclibUrl(const std::string& value);
    void SetVersevaultUrl(const std::string& value);
    // Any other value than the three choices (in any letter case) means the account's database.
    void SetPublishTo(const std::string& value);
    // A value that cannot be a player's key (letters, digits, "_" and "-", at most 255) means automatic.
    void SetPinnedPlayer(const std::string& value);

    // ---- The search-site list and the song lists ----
    TFilterList& Filters() { return filters_; }
    const TFilterList& Filters() const { return filters_; }
    // UserFilters.ini first (the user's order and check marks), then Filters.ini (site definitions).
    void LoadFilters();
    void ShowFilters();
    // False (with error set) when UserFilters.ini could not be written.
    bool SaveUserFilters(std::string* error = nullptr);
    // Copies the dialog's check marks into the sites' Enabled flags (before saving).
    void CommitFilterChecks(const std::vector<bool>& checks) { filters_.CommitFilterChecks(checks); }
    void LoadCancelList();
    void LoadUploadList();
    bool SaveCancelList();
    bool SaveUploadList();

private:
    void PrepareFolders();
    std::string Folder(std::string path) const;

    ISettingsView& view_;
    TSongList& cancelList_;
    TSongList& uploadList_;
    const char separator_;
    const std::string givenProgramFolder_;
    const std::string userDataFolder_;
    bool loaded_ = false;

    std::string settingsFileName_;
    std::string programFolder_;
    std::string settingsFolder_;
    std::string programDataFolder_;
    std::string lyricsDir_;
    bool useMouseGestures_ = false;
    bool showVisualization_ = false;
    bool showButtons_ = false;
    bool highlightLine_ = false;
    bool scroll_ = false;
    bool scrollSmooth_ = false;
    bool includeSubDirecoriesInSearch_ = false;
    bool excludeTextInBrackets_ = false;
    bool removeTrackNumber_ = false;
    bool searchID3v2_ = false;
    bool searchLyrics3_ = false;
    bool searchInternet_ = false;
    bool closeCantrelAgentOnExit_ = false;
    int updateTimeMs_ = 0;
    int visRadius_ = 0;
    bool animateButtons_ = false;
    bool readTitleInfoFromTag_ = false;
    float scale_ = 0.0f;
    bool visEnableBeatDetection_ = false;
    bool showButton2_ = false;
    bool showSongInfo_ = false;
    int displayMode_ = 0;
    bool fadeLyrics_ = false;
    bool highlightWords_ = true;
    std::map<std::string, std::pair<std::string, std::int32_t>> songOffsets_; // lower-cased name -> name, ms
    int fadeRatio_ = 0;
    std::string charset_;
    std::string searchUrl_;
    bool searchLyricDirectory_ = false;
    std::string username_;
    std::string password_;
    std::string lrclibUrl_ = kDefaultLrclibUrl;
    std::string versevaultUrl_ = kDefaultVersevaultUrl;
    std::string publishTo_ = kPublishToVersevault;
    std::string pinnedPlayer_;
    TFilterList filters_;

    // Dialog state the setters depend on: the size list's selection and the two sliders' positions
    // (their initial positions are 100).
    int textSizeIndex_ = -1;
    int scaleSliderPosition_ = 100;
    int fadeSliderPosition_ = 100;
};

// The password as stored in Settings.ini: each byte plus the byte of the repeating key "KelvoTS" at the
// same position (mod 7), modulo 256. Both work on the text up to its first zero byte.
std::string EncipherPassword(const std::string& plain);
std::string DecipherPassword(const std::string& stored);

// The scale as written: the single-precision value's shortest text of up to 15 significant digits,
// with "." as the decimal separator.
std::string FormatScale(float value);
// A finite number written with "." or "," as the decimal separator, or nothing.
std::optional<float> ParseScale(const std::string& text);

// The code page that matches a Charset value: UTF-8 for "charset_unicode", 1252 for values it does not
// know.
int CodePageOfCharset(const std::string& charset);

} // namespace config
