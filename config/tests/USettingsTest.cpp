#include "config/USettings.h"

#include "config/TSongList.h"
#include "config/tests/TRecordingSettingsView.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <sstream>

using namespace config;
using testing_support::TTempFolder;

namespace {

// One program installation in a fresh temporary folder: the program folder "prog", the user's data
// folder "data", a recording view, the two song lists and the store.
struct TWorld {
    TTempFolder temp;
    const char sep = platform::PathSeparator();
    const std::string prog = temp / "prog";
    const std::string data = temp / "data";
    const std::string cantrel = prog + sep + "Cantrel" + sep;
    TRecordingSettingsView view;
    TSongList cancel, upload;
    std::unique_ptr<TSettings> settings;

    TWorld() { Restart(); }
    // A new run of the program over the same folders.
    TSettings& Restart() {
        settings = std::make_unique<TSettings>(view, cancel, upload, prog, data, sep);
        return *settings;
    }
    void WriteIni(const std::string& text, const std::string& name = "Settings.ini") {
        toolkit::EnsureFolder(cantrel);
        TTempFolder::WriteFile(cantrel + name, text);
    }
    std::string ReadIni(const std::string& name = "Settings.ini") {
        return TTempFolder::ReadFile(cantrel + name);
    }
};

// Every value of the store as text, for comparing whole states.
std::string Snapshot(const TSettings& s) {
    std::ostringstream o;
    o << "LyricsDir=" << s.LyricsDir() << "\nUseMouseGestures=" << s.UseMouseGestures()
      << "\nShowVisualization=" << s.ShowVisualization() << "\nShowButtons=" << s.ShowButtons()
      << "\nHighlightLine=" << s.HighlightLine() << "\nScroll=" << s.Scroll()
      << "\nScrollSmooth=" << s.ScrollSmooth()
      << "\nIncludeSubDirecoriesInSearch=" << s.IncludeSubDirecoriesInSearch()
      << "\nExcludeTextInBrackets=" << s.ExcludeTextInBrackets()
      << "\nRemoveTrackNumber=" << s.RemoveTrackNumber() << "\nSearchID3v2=" << s.SearchID3v2()
      << "\nSearchLyrics3=" << s.SearchLyrics3() << "\nSearchInternet=" << s.SearchInternet()
      << "\nCloseCantrelAgentOnExit=" << s.CloseCantrelAgentOnExit() << "\nUpdateTimeMs=" << s.UpdateTimeMs()
      << "\nVisRadius=" << s.VisRadius() << "\nAnimateButtons=" << s.AnimateButtons()
      << "\nReadTitleInfoFromTag=" << s.ReadTitleInfoFromTag() << "\nScale=" << FormatScale(s.Scale())
      << "\nVisEnableBeatDetection=" << s.VisEnableBeatDetection() << "\nShowButton2=" << s.ShowButton2()
      << "\nShowSongInfo=" << s.ShowSongInfo() << "\nDisplayMode=" << s.DisplayMode()
      << "\nFadeLyrics=" << s.FadeLyrics() << "\nFadeRatio=" << s.FadeRatio() << "\nCharset=" << s.Charset()
      << "\nSearchUrl=" << s.SearchUrl() << "\nSearchLyricDirectory=" << s.SearchLyricDirectory()
      << "\nUsername=" << s.Username() << "\nPassword=" << s.Password() << "\nLrclibUrl=" << s.LrclibUrl()
      << "\nVersevaultUrl=" << s.VersevaultUrl() << "\nPublishTo=" << s.PublishTo()
      << "\nPinnedPlayer=" << s.PinnedPlayer() << "\nTextSizeIndex=" << s.TextSizeIndex() << "\n";
    return o.str();
}

std::string ExpectedFirstSave(const std::string& cantrel) {
    return "[General]\r\nFontSize=15\r\nAnimateButtons=0\r\nUseMouseGestures="
           "1\r\nIncludeSubDirecoriesInSearch=1\r\n"
           "ShowButton2=1\r\nShowSongInfo=1\r\nCharset=charset_unicode\r\n"
           "[Files]\r\nLyricsDir=" +
           cantrel +
           "lyrics\r\nSearchLyricDirectory=0\r\n"
           "[Visualization]\r\nUpdateTimeMs=40\r\nScale=0.365000009536743\r\nVisRadius="
           "6\r\nVisEnableBeatDetection=1\r\n"
           "[Display]\r\nScroll=1\r\nScrollSmooth=1\r\nShowButtons=0\r\nShowVisualization=0\r\nHighlightLine="
           "1\r\n"
           "DisplayMode=0\r\nFadeLyrics=1\r\nFadeRatio=100\r\n"
           "[Lyrics]\r\nSearchID3v2=1\r\nSearchLyrics3=1\r\nSearchInternet=1\r\nReadTitleInfoFromTag=0\r\n"
           "CloseCantrelAgentOnExit=1\r\nExcludeTextInBrackets=1\r\nRemoveTrackNumber=1\r\n"
           "SearchUrl=http://www.google.com/search?q=%22%Artist%%22%20%22%Title%%22%20lyrics&hl=en\r\n"
           "[Versevault]\r\nUsername=\r\nPassword=\r\nUrl=https://versevault.example.org\r\nPublishTo="
           "Versevault\r\n"
           "[Lrclib]\r\nUrl=https://lrclib.net\r\n"
           "[Player]\r\nPinnedPlayer=\r\n"
           "[FormSettings]\r\nWidth=800\r\nHeight=600\r\n";
}

TEST(Settings, FirstStartWithoutFolder) {
    TWorld w;
    w.settings->LoadSettings();
    EXPECT_TRUE(std::filesystem::is_directory(w.cantrel + "lyrics"));
    EXPECT_EQ(w.settings->SettingsFolder(), w.cantrel);
    EXPECT_EQ(w.settings->SettingsFileName(), w.cantrel + "Settings.ini");
    EXPECT_EQ(w.view.version, "Version 2.4");
    EXPECT_EQ(w.view.scaleSlider, 73);
    EXPECT_EQ(w.view.scaleLabel, "73%");
    EXPECT_EQ(w.view.fadeSlider, -1); // the default 100 is where the slider starts
    EXPECT_EQ(w.view.textSize, 4);    // "15"
    EXPECT_TRUE(w.view.enabled.at("ShowButtons"));
    EXPECT_EQ(w.view.calls.back(), "RemoveVisualizationPage");
    EXPECT_EQ(w.settings->Filters().Count(), 0u);
    EXPECT_EQ(w.cancel.Count(), 0u);

    EXPECT_TRUE(w.settings->SaveSettings());
    EXPECT_EQ(w.ReadIni(), ExpectedFirstSave(w.cantrel));
    EXPECT_EQ(w.ReadIni("CancelList.txt"), "");
    EXPECT_EQ(w.ReadIni("Upload.txt"), "");
    EXPECT_EQ(w.ReadIni("UserFilters.ini"), "");
    EXPECT_TRUE(w.view.warnings.empty());

    // The defaults read back as they were written.
    const std::string before = Snapshot(*w.settings);
    w.Restart().LoadSettings();
    EXPECT_EQ(Snapshot(*w.settings), before);
}

TEST(Settings, ValuesFromTheFile) {
    struct {
        const char* name;
        std::string ini;
        std::function<void(const TSettings&, const TRecordingSettingsView&)> check;
        std::vector<std::string> written; // lines the next save writes
    } cases[] = {
        {"FontSize 40 selects 30",
         "[General]\nFontSize=40\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.TextSizeIndex(), 19);
             EXPECT_EQ(v.textSize, 19);
         },
         {"FontSize=30"}},
        {"FontSize 5 leaves no selection",
         "[General]\nFontSize=5\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.TextSizeIndex(), -1);
             EXPECT_EQ(v.textSize, -1);
             EXPECT_EQ(s.TextSize(), 10);
         },
         {"FontSize=10"}},
        {"ShowVisualization=1 is switched off",
         "[Display]\nShowVisualization=1\n",
         [](auto& s, auto& v) {
             EXPECT_FALSE(s.ShowVisualization());
             EXPECT_FALSE(v.checks.at("ShowVisualization"));
         },
         {"ShowVisualization=0"}},
        {"Scale=2.0 stops the slider at 220",
         "[Visualization]\nScale=2.0\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.Scale(), 1.1f);
             EXPECT_EQ(v.scaleSlider, 220);
             EXPECT_EQ(v.scaleLabel, "220%");
             EXPECT_EQ(v.visualizationScale, 1.1f);
         },
         {"Scale=1.10000002384186"}},
        {"Scale with a decimal comma",
         "[Visualization]\nScale=0,5\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.Scale(), 0.5f);
             EXPECT_EQ(v.scaleSlider, -1); // 100: the slider does not move
             EXPECT_EQ(v.scaleLabel, "100%");
         },
         {"Scale=0.5"}},
        {"Scale that is not a number",
         "[Visualization]\nScale=1.2.3\n",
         [](auto& s, auto&) { EXPECT_EQ(s.Scale(), 0.365f); },
         {"Scale=0.365000009536743"}},
        {"FadeRatio=500 stops the slider at 120",
         "[Display]\nFadeRatio=500\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.FadeRatio(), 120);
             EXPECT_EQ(v.fadeSlider, 120);
         },
         {"FadeRatio=120"}},
        {"empty Password",
         "[Versevault]\nUsername=me\nPassword=\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.Password(), "");
             EXPECT_EQ(v.username, "me");
         },
         {"Username=me", "Password="}},
        {"enciphered Password",
         "[Versevault]\nPassword=\xbe\xca\xcf\xe8\xd4\xc8\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.Password(), "secret");
             EXPECT_EQ(v.password, "secret");
         },
         {"Password=\xbe\xca\xcf\xe8\xd4\xc8"}},
        {"unreadable values give defaults",
         "[General]\nFontSize=big\nUseMouseGestures=yes\n[Display]\nFadeRatio=\n",
         [](auto& s, auto&) {
             EXPECT_EQ(s.TextSize(), 15);
             EXPECT_TRUE(s.UseMouseGestures());
             EXPECT_EQ(s.FadeRatio(), 100);
         },
         {"FontSize=15", "UseMouseGestures=1", "FadeRatio=100"}},
        {"Minimal display mode",
         "[Display]\nDisplayMode=1\nShowButtons=1\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.DisplayMode(), 1);
             EXPECT_EQ(v.displayMode, 1);
             EXPECT_FALSE(v.enabled.at("ShowButtons"));
             EXPECT_TRUE(s.ShowButtons());
         },
         {"DisplayMode=1", "ShowButtons=1"}},
        {"values beyond the controls' ranges",
         "[Display]\nDisplayMode=7\n[Visualization]\nVisRadius=100\n",
         [](auto& s, auto& v) {
             EXPECT_EQ(s.DisplayMode(), 1);
             EXPECT_EQ(s.VisRadius(), 18);
             EXPECT_EQ(v.visRadius, 18);
         },
         {"DisplayMode=1", "VisRadius=18"}},
        {"kept keys without setters",
         "[General]\nShowSongInfo=0\nShowButton2=0\n[Lyrics]\nSearchUrl=http://x/?q=%Song%\n",
         [](auto& s, auto&) {
             EXPECT_FALSE(s.ShowSongInfo());
             EXPECT_FALSE(s.ShowButton2());
             EXPECT_EQ(s.SearchUrl(), "http://x/?q=%Song%");
         },
         {"ShowSongInfo=0", "ShowButton2=0", "SearchUrl=http://x/?q=%Song%"}},
        {"the open lyric database's address",
         "[Lrclib]\nUrl=http://127.0.0.1:8080\n",
         [](auto& s, auto&) { EXPECT_EQ(s.LrclibUrl(), "http://127.0.0.1:8080"); },
         {"Url=http://127.0.0.1:8080"}},
        {"the account's database and where submissions go",
         "[Versevault]\nUrl=http://127.0.0.1:9090\nPublishTo=both\n",
         [](auto& s, auto&) {
             EXPECT_EQ(s.VersevaultUrl(), "http://127.0.0.1:9090");
             EXPECT_EQ(s.PublishTo(), "Both");
         },
         {"Url=http://127.0.0.1:9090", "PublishTo=Both"}},
        {"an unknown destination is the account's database",
         "[Versevault]\nPublishTo=Elsewhere\n",
         [](auto& s, auto&) { EXPECT_EQ(s.PublishTo(), "Versevault"); },
         {"PublishTo=Versevault"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TWorld w;
        w.WriteIni(c.ini);
        w.settings->LoadSettings();
        c.check(*w.settings, w.view);
        ASSERT_TRUE(w.settings->SaveSettings());
        const std::string file = w.ReadIni();
        for (const auto& line : c.written)
            EXPECT_NE(file.find(line + "\n"), std::string::npos) << line << " in\n" << file;
    }
}

TEST(Settings, CharsetFontFileBySize) {
    struct {
        const char* charset;
        int fontSize;
        const char* file; // empty: the system's fonts
        int size;
        int codePage;
    } cases[] = {
        {"charset_greek", 15, "charset_greek14.gsf", 14, 1253},
        {"charset_greek", 16, "charset_greek22.gsf", 22, 1253},
        {"charset_english", 30, "charset_english22.gsf", 22, 1252},
        {"charset_centraleurope", 5, "charset_centraleurope14.gsf", 14, 1250}, // no selection: size 10
        {"charset_russian", 11, "charset_russian14.gsf", 14, 1251},
        {"charset_unknown", 20, "charset_unknown22.gsf", 22, 1252},
        {"charset_unicode", 15, "", 14, 65001}, // no "charset_unicode14.gsf": glyphs of any script
        {"charset_unicode", 16, "", 22, 65001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset + std::to_string(c.fontSize));
        TWorld w;
        w.WriteIni("[General]\r\nFontSize=" + std::to_string(c.fontSize) + "\r\nCharset=" + c.charset +
                   "\r\n");
        w.view.fontFile = "not set";
        w.settings->LoadSettings();
        EXPECT_EQ(w.view.fontFile, *c.file ? w.cantrel + c.file : "");
        EXPECT_EQ(w.view.fontSize, c.size);
        EXPECT_EQ(toolkit::ActiveCodePage(), c.codePage);
        EXPECT_EQ(w.settings->Charset(), c.charset);
    }
    toolkit::SetActiveCodePage(1252);
}

TEST(Settings, WindowSizeOnlyInTheNormalState) {
    const std::string stored = "[FormSettings]\r\nWidth=640\r\nHeight=480\r\n";
    {
        SCOPED_TRACE("maximised");
        TWorld w;
        w.WriteIni(stored);
        w.view.normal = false;
        w.settings->LoadSettings();
        for (const auto& call : w.view.calls)
            EXPECT_EQ(call.find("SetMainWindowSize"), std::string::npos);
        w.view.width = 1920;
        ASSERT_TRUE(w.settings->SaveSettings());
        EXPECT_NE(w.ReadIni().find(stored), std::string::npos);
    }
    {
        SCOPED_TRACE("normal");
        TWorld w;
        w.WriteIni(stored);
        w.settings->LoadSettings();
        EXPECT_EQ(w.view.width, 640);
        EXPECT_EQ(w.view.height, 480);
        w.view.width = 700;
        ASSERT_TRUE(w.settings->SaveSettings());
        EXPECT_NE(w.ReadIni().find("Width=700\r\nHeight=480\r\n"), std::string::npos);
    }
    {
        SCOPED_TRACE("unusable stored size");
        TWorld w;
        w.WriteIni("[FormSettings]\r\nWidth=0\r\nHeight=-5\r\n");
        w.settings->LoadSettings();
        EXPECT_EQ(w.view.width, 800);
        EXPECT_EQ(w.view.height, 600);
    }
}

TEST(Settings, ReadOnlySettingsFileWarnsAndTheListsAreStillSaved) {
    TWorld w;
    const std::string original = "[General]\r\nFontSize=20\r\n";
    w.WriteIni(original);
    w.settings->LoadSettings();
    std::filesystem::permissions(w.cantrel + "Settings.ini", std::filesystem::perms::owner_read);
    w.settings->SetHighlightLine(false);
    w.cancel.Add("Artist - Song");
    w.upload.Add("Artist - Other");

    EXPECT_FALSE(w.settings->SaveSettings());
    ASSERT_EQ(w.view.warnings.size(), 1u);
    EXPECT_EQ(w.view.warnings[0], "Unable to write to " + w.cantrel + "Settings.ini");
    EXPECT_EQ(w.ReadIni(), original);
    EXPECT_EQ(w.ReadIni("CancelList.txt"), "Artist - Song\r\n");
    EXPECT_EQ(w.ReadIni("Upload.txt"), "Artist - Other\r\n");
}

TEST(Settings, FailedUserFiltersSaveStillSavesTheLists) {
    TWorld w;
    w.WriteIni("[A]\r\nUrl=http://a/\r\n", "UserFilters.ini");
    w.settings->LoadSettings();
    std::filesystem::permissions(w.cantrel + "UserFilters.ini", std::filesystem::perms::owner_read);
    w.cancel.Add("Song");
    EXPECT_FALSE(w.settings->SaveSettings());
    ASSERT_EQ(w.view.warnings.size(), 1u);
    EXPECT_EQ(w.view.warnings[0], "Unable to write to " + w.cantrel + "UserFilters.ini");
    EXPECT_EQ(w.ReadIni("CancelList.txt"), "Song\r\n");
}

TEST(Settings, TheSettingsFileIsPrivateAndALinkToItStays) {
    namespace fs = std::filesystem;
    TWorld w;
    const auto ownerReadWrite = fs::perms::owner_read | fs::perms::owner_write;
    const bool modes = platform::PathSeparator() == '/';
    w.settings->LoadSettings();
    w.settings->SetPassword("secret");
    ASSERT_TRUE(w.settings->SaveSettings());
    if (modes) {
        EXPECT_EQ(fs::status(w.cantrel + "Settings.ini").permissions(), ownerReadWrite);
    }

    // The user keeps the file with other dotfiles and links it into the settings folder.
    const std::string kept = w.temp / "Settings.kept.ini";
    fs::rename(w.cantrel + "Settings.ini", kept);
    fs::permissions(kept, ownerReadWrite | fs::perms::group_read | fs::perms::others_read);
    std::error_code ec;
    fs::create_symlink(kept, w.cantrel + "Settings.ini", ec);
    if (ec)
        GTEST_SKIP() << "no symbolic links here: " << ec.message();
    w.Restart().LoadSettings();
    EXPECT_EQ(w.settings->Password(), "secret");
    w.settings->SetUsername("someone");
    ASSERT_TRUE(w.settings->SaveSettings());
    EXPECT_TRUE(fs::is_symlink(w.cantrel + "Settings.ini"));
    EXPECT_NE(TTempFolder::ReadFile(kept).find("Username=someone\r\n"), std::string::npos);
    if (modes) {
        EXPECT_EQ(fs::status(kept).permissions(), ownerReadWrite);
    }
}

TEST(Settings, NothingIsSavedBeforeLoading) {
    TWorld w;
    w.WriteIni("[General]\r\nFontSize=20\r\n");
    EXPECT_FALSE(w.settings->SaveSettings());
    EXPECT_EQ(w.ReadIni(), "[General]\r\nFontSize=20\r\n");
}

TEST(Settings, RoundTripOfEveryKey) {
    TWorld w;
    w.WriteIni("; my "
               "settings\r\n[General]\r\nShowSongInfo=0\r\nShowButton2=0\r\n[Lyrics]\r\nSearchUrl=http://s/"
               "%Song%\r\n"
               "[Other]\r\nKept=yes\r\n");
    TSettings& s = *w.settings;
    s.LoadSettings();
    s.SelectTextSize(7);
    s.SetLyricsDir(w.temp / "my lyrics \xff");
    s.SetUseMouseGestures(false);
    s.SetShowButtons(true);
    s.SetHighlightLine(false);
    s.SetScroll(false);
    s.SetScrollSmooth(false);
    s.SetIncludeSubDirecoriesInSearch(false);
    s.SetExcludeTextInBrackets(false);
    s.SetRemoveTrackNumber(false);
    s.SetSearchID3v2(false);
    s.SetSearchLyrics3(false);
    s.SetSearchInternet(false);
    s.SetCloseCantrelAgentOnExit(false);
    s.SetUpdateTimeMs(25);
    s.SetScale(0.8f);
    s.SetVisRadius(9);
    s.SetAnimateButtons(true);
    s.SetVisEnableBeatDetection(false);
    s.SetReadTitleInfoFromTag(true);
    s.SetSearchLyricDirectory(true);
    s.SetDisplayMode(1);
    s.SetFadeLyrics(false);
    s.SetFadeRatio(55);
    s.SetCharset("charset_russian");
    s.SetUsername("\xff user");
    s.SetPassword("p\xe4ss word\xff!");
    s.SetPinnedPlayer("vlc");
    w.view.width = 1024;
    w.view.height = 700;
    ASSERT_TRUE(s.SaveSettings());
    const std::string saved = Snapshot(s);
    const std::string file = w.ReadIni();
    EXPECT_EQ(file.rfind("; my settings\r\n", 0), 0u);
    EXPECT_NE(file.find("[Other]\r\nKept=yes\r\n"), std::string::npos);

    w.view.width = w.view.height = 1;
    w.Restart().LoadSettings();
    EXPECT_EQ(Snapshot(*w.settings), saved);
    EXPECT_EQ(w.view.width, 1024);
    EXPECT_EQ(w.view.height, 700);
    // A second save changes nothing.
    ASSERT_TRUE(w.settings->SaveSettings());
    EXPECT_EQ(w.ReadIni(), file);
    toolkit::SetActiveCodePage(1252);
}

TEST(Settings, HighlightWordsAndSongOffsets) {
    TWorld w;
    TSettings& s = *w.settings;
    s.LoadSettings();
    EXPECT_TRUE(s.HighlightWords());
    EXPECT_EQ(s.SongOffset("A - B"), 0);
    s.SetSongOffset("A - B", 300);
    s.SetSongOffset("a - b", -200); // letter case ignored: the same song
    s.SetSongOffset("C = D", 100);  // no key of a profile file: kept for the run only
    s.SetSongOffset("[E] - F", 100);
    s.SetSongOffset("G - H", 0);
    EXPECT_EQ(s.SongOffset("A - B"), -200);
    EXPECT_EQ(s.SongOffset("C = D"), 100);
    ASSERT_TRUE(s.SaveSettings());
    EXPECT_EQ(w.ReadIni().find("HighlightWords"), std::string::npos); // on, the default: not written
    EXPECT_NE(w.ReadIni().find("[LyricsOffsets]\r\nA - B=-200\r\nG - H=0\r\n"), std::string::npos);

    TSettings& again = w.Restart();
    again.LoadSettings();
    EXPECT_EQ(again.SongOffset("A - B"), -200);
    EXPECT_EQ(again.SongOffset("C = D"), 0);
    again.SetHighlightWords(false);
    ASSERT_TRUE(again.SaveSettings());
    w.Restart().LoadSettings();
    EXPECT_FALSE(w.settings->HighlightWords());
    EXPECT_EQ(w.settings->SongOffset("a - B"), -200);
}

TEST(Settings, GarbageFilesGiveDefaults) {
    TWorld reference;
    reference.settings->LoadSettings();
    const std::string defaults = Snapshot(*reference.settings);

    std::mt19937 random(7);
    std::vector<std::string> inputs = {
        std::string("\0\x01\x02[General]\0FontSize=99\r\n", 26),
        "[General]\r\nFontSize\r\nCharset\r\n[Display]\r\nFadeRatio 50\r\n",
        "[General]\r\n" + std::string(3 << 20, 'A') + "\r\n",
        std::string("\xff\xfe[\0G\0]\0", 8),
    };
    for (int n = 0; n < 20; ++n) {
        std::string bytes(random() % 2000, '\0');
        for (auto& c : bytes)
            c = char(random());
        inputs.push_back(bytes);
    }
    for (const auto& input : inputs) {
        TWorld w;
        w.WriteIni(input);
        for (const char* list : {"CancelList.txt", "Upload.txt", "UserFilters.ini", "Filters.ini"})
            w.WriteIni(input, list);
        w.settings->LoadSettings();
        std::string snapshot = Snapshot(*w.settings);
        // The lyrics folder's default names the test's own folder.
        const auto lyrics = [](std::string s) { return s.substr(s.find('\n')); };
        EXPECT_EQ(lyrics(snapshot), lyrics(defaults));
        w.settings->SaveSettings();
    }
    toolkit::SetActiveCodePage(1252);
}

// A path is the file system's own bytes whatever the character set: it is stored as it is and found again.
TEST(Settings, LyricsFolderWithAnyCharactersIsFoundAgain) {
    for (const char* charset : {"charset_english", "charset_russian", "charset_unicode"}) {
        TWorld w;
        const std::string folder = w.cantrel + "M\xc3\xbasica \xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe \xe6\x97\xa5";
        ASSERT_TRUE(toolkit::EnsureFolder(folder));
        w.WriteIni("[General]\r\nCharset=" + std::string(charset) + "\r\n[Files]\r\nLyricsDir=" + folder +
                   "\r\n");
        w.settings->LoadSettings();
        EXPECT_EQ(w.settings->LyricsDir(), folder) << charset;
        ASSERT_TRUE(w.settings->SaveSettings());
        w.Restart().LoadSettings();
        EXPECT_EQ(w.settings->LyricsDir(), folder) << charset;
        EXPECT_TRUE(std::filesystem::is_directory(toolkit::FilePath(w.settings->LyricsDir()))) << charset;
    }
    toolkit::SetActiveCodePage(1252);
}

// After loading, a new character set (from the menu or the dialog) has what is shown read again; the same
// one again only reloads the font.
TEST(Settings, CharsetChangeAfterLoadingReadsTheSongAgain) {
    TWorld w;
    w.WriteIni("[General]\r\nCharset=charset_english\r\n");
    w.settings->LoadSettings();
    EXPECT_EQ(w.view.charset, "charset_english");
    for (const auto& call : w.view.calls)
        EXPECT_NE(call, "ReadSongAgain"); // loading reads nothing again
    w.view.Clear();
    w.settings->SetCharset("charset_unicode");
    EXPECT_EQ(w.view.calls, (std::vector<std::string>{"ShowCharset(charset_unicode)",
                                                      "UseSystemLyricFont(14)", "ReadSongAgain"}));
    w.view.Clear();
    w.settings->SetCharset("charset_unicode");
    EXPECT_EQ(w.view.calls,
              (std::vector<std::string>{"ShowCharset(charset_unicode)", "UseSystemLyricFont(14)"}));
    toolkit::SetActiveCodePage(1252);
}

TEST(Settings, FallsBackToTheUserDataFolder) {
    TWorld w;
    // The program folder cannot hold a "Cantrel" folder: a file stands where it would go.
    TTempFolder::WriteFile(w.prog, "not a folder");
    w.settings->LoadSettings();
    w.settings->SetCharset("charset_english"); // a character set drawn from font files
    const std::string userFolder = w.data + w.sep + "Cantrel" + w.sep;
    EXPECT_EQ(w.settings->SettingsFolder(), userFolder);
    EXPECT_EQ(w.settings->ProgramDataFolder(), w.cantrel);
    EXPECT_EQ(w.settings->LyricsDir(), userFolder + "lyrics");
    EXPECT_TRUE(std::filesystem::is_directory(userFolder + "lyrics"));
    // Files that come with the program are read from the program's folder...
    EXPECT_EQ(w.view.fontFile, w.cantrel + "charset_english14.gsf");
    ASSERT_TRUE(w.settings->SaveSettings());
    EXPECT_TRUE(toolkit::FileExists(userFolder + "Settings.ini"));

    // ...unless the settings folder holds a copy.
    TTempFolder::WriteFile(userFolder + "charset_english14.gsf", "glyphs");
    w.Restart().LoadSettings();
    EXPECT_EQ(w.view.fontFile, userFolder + "charset_english14.gsf");
    EXPECT_EQ(w.settings->ShippedFile("Filters.ini"), w.cantrel + "Filters.ini");
}

TEST(Settings, WithoutAUserDataFolderTheProgramFolderStays) {
    TWorld w;
    TTempFolder::WriteFile(w.prog, "not a folder");
    TSettings s(w.view, w.cancel, w.upload, w.prog, "", w.sep);
    s.LoadSettings(); // nothing can be created; no crash, defaults
    EXPECT_EQ(s.SettingsFolder(), w.cantrel);
    EXPECT_EQ(s.TextSize(), 15);
    EXPECT_FALSE(s.SaveSettings());
    EXPECT_EQ(w.view.warnings.size(), 2u); // Settings.ini and UserFilters.ini
}

TEST(Settings, SetterEffectsOnTheView) {
    struct {
        const char* name;
        std::function<void(TSettings&, TRecordingSettingsView&)> act;
        std::vector<std::string> calls;
    } cases[] = {
        {"LyricsDir", [](auto& s, auto&) { s.SetLyricsDir("/l"); }, {"ShowLyricsDir(/l)"}},
        {"a plain check box",
         [](auto& s, auto&) { s.SetHighlightLine(true); },
         {"ShowCheck(HighlightLine,1)", "EnableCheck(HighlightWords,1)"}},
        {"Scroll off disables smooth scrolling",
         [](auto& s, auto&) { s.SetScroll(false); },
         {"ShowCheck(Scroll,0)", "EnableCheck(ScrollSmooth,0)"}},
        {"ShowVisualization on",
         [](auto& s, auto&) { s.SetShowVisualization(true); },
         {"SetSeparatorSpace(150)", "ShowSeparator(1)", "ForceRelayout", "ShowVisualization(1)",
          "ShowCheck(ShowVisualization,1)"}},
        {"ShowVisualization off with buttons",
         [](auto& s, auto& v) {
             s.SetShowButtons(true);
             v.Clear();
             s.SetShowVisualization(false);
         },
         {"SetSeparatorSpace(52)", "ShowSeparator(0)", "ForceRelayout", "ShowVisualization(0)",
          "ShowCheck(ShowVisualization,0)"}},
        {"ShowVisualization off without buttons",
         [](auto& s, auto&) { s.SetShowVisualization(false); },
         {"SetSeparatorSpace(30)", "ShowSeparator(0)", "ForceRelayout", "ShowVisualization(0)",
          "ShowCheck(ShowVisualization,0)"}},
        {"ShowButtons",
         [](auto& s, auto&) { s.SetShowButtons(true); },
         {"ShowPlaybackButtons(1)", "ShowCheck(ShowButtons,1)", "RunResize"}},
        {"SearchInternet off",
         [](auto& s, auto&) { s.SetSearchInternet(false); },
         {"ShowCheck(SearchInternet,0)", "ResetSearchButton", "RedrawInternetIndicator"}},
        {"SearchInternet on",
         [](auto& s, auto&) { s.SetSearchInternet(true); },
         {"ShowCheck(SearchInternet,1)", "RedrawInternetIndicator"}},
        {"nothing more",
         [](auto& s, auto&) {
             s.SetAnimateButtons(true);
             s.SetCloseCantrelAgentOnExit(true);
             s.SetUpdateTimeMs(10);
         },
         {}},
        {"Scale inside the range",
         [](auto& s, auto&) { s.SetScale(0.5f); },
         {"ShowScaleLabel(100%)", "SetVisualizationScale"}},
        {"Scale moves the slider, whose handler stores its position",
         [](auto& s, auto&) { s.SetScale(2.0f); },
         {"ShowScaleSlider(220)", "ShowScaleLabel(220%)", "SetVisualizationScale", "ShowScaleLabel(220%)",
          "SetVisualizationScale"}},
        {"Scale rounds ties to even",
         [](auto& s, auto&) { s.SetScale(0.3125f); }, // 62.5
         {"ShowScaleSlider(62)", "ShowScaleLabel(62%)", "SetVisualizationScale", "ShowScaleLabel(62%)",
          "SetVisualizationScale"}},
        {"VisRadius",
         [](auto& s, auto&) { s.SetVisRadius(7); },
         {"ShowVisRadius(7)", "RecreateVisualization(7)"}},
        {"DisplayMode minimal",
         [](auto& s, auto&) { s.SetDisplayMode(1); },
         {"CheckDisplayModeActions(1)", "ShowDisplayMode(1)", "EnableCheck(ShowVisualization,0)",
          "EnableCheck(ShowButtons,0)", "SetSeparatorSpace(30)", "ShowSeparator(0)", "ShowVisualization(0)",
          "ShowPlaybackButtons(0)", "ForceRelayout", "ShowFrameControls(0)", "UpdateSong"}},
        {"DisplayMode default while loading",
         [](auto& s, auto& v) {
             v.loadingPanelVisible = true;
             s.SetDisplayMode(0);
         },
         {"CheckDisplayModeActions(0)", "ShowDisplayMode(0)", "EnableCheck(ShowVisualization,1)",
          "EnableCheck(ShowButtons,1)", "SetSeparatorSpace(30)", "ShowSeparator(0)", "ForceRelayout",
          "ShowVisualization(0)", "ShowCheck(ShowVisualization,0)", "ShowPlaybackButtons(0)",
          "ShowCheck(ShowButtons,0)", "RunResize", "SetSeparatorSpace(30)", "ShowSeparator(0)",
          "ForceRelayout", "ShowVisualization(0)", "ShowCheck(ShowVisualization,0)", "ForceRelayout",
          "ShowFrameControls(1)"}},
        {"FadeLyrics with timestamped lyrics",
         [](auto& s, auto& v) {
             v.timestamped = true;
             s.SetFadeLyrics(false);
         },
         {"EnableFadeSlider(0)", "ShowCheck(FadeLyrics,0)", "CheckFadeMenuItem(0)", "UpdateSong"}},
        {"FadeLyrics with plain lyrics",
         [](auto& s, auto&) { s.SetFadeLyrics(true); },
         {"EnableFadeSlider(1)", "ShowCheck(FadeLyrics,1)", "CheckFadeMenuItem(1)"}},
        {"FadeRatio", [](auto& s, auto&) { s.SetFadeRatio(5); }, {"ShowFadeSlider(10)"}},
        {"FadeRatio where the slider is", [](auto& s, auto&) { s.SetFadeRatio(100); }, {}},
        {"Charset before loading",
         [](auto& s, auto&) { s.SetCharset("charset_greek"); },
         {"ShowCharset(charset_greek)", "LoadLyricFont(14)"}},
        {"Username and Password",
         [](auto& s, auto&) {
             s.SetUsername("u");
             s.SetPassword("p");
         },
         {"ShowUsername(u)", "ShowPassword(p)"}},
        {"text size", [](auto& s, auto&) { s.SelectTextSize(20); }, {"ShowTextSize(-1)"}},
        {"PinnedPlayer", [](auto& s, auto&) { s.SetPinnedPlayer("spotify"); }, {"PinPlayer(spotify)"}},
        {"PinnedPlayer that is no player's key means automatic",
         [](auto& s, auto&) {
             s.SetPinnedPlayer("org.mpris.MediaPlayer2.vlc");
             s.SetPinnedPlayer(std::string(256, 'a'));
             s.SetPinnedPlayer("my player");
         },
         {"PinPlayer()", "PinPlayer()", "PinPlayer()"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRecordingSettingsView view;
        TSongList cancel, upload;
        TSettings settings(view, cancel, upload, "/nonexistent", "", '/');
        c.act(settings, view);
        EXPECT_EQ(view.calls, c.calls);
    }
    toolkit::SetActiveCodePage(1252);
}

TEST(Settings, PasswordCipher) {
    struct {
        std::string plain;
        std::string stored;
    } cases[] = {
        {"secret", "\xbe\xca\xcf\xe8\xd4\xc8"},
        {"", ""},
        {"aaaaaaaa", "\xac\xc6\xcd\xd7\xd0\xb5\xb4\xac"}, // the key starts again after seven bytes
        {"\xff", "J"},                                    // modulo 256
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncipherPassword(c.plain), c.stored);
        EXPECT_EQ(DecipherPassword(c.stored), c.plain);
    }
    EXPECT_EQ(EncipherPassword(std::string("ab\0cd", 5)), EncipherPassword("ab"));
}

TEST(Settings, ScaleText) {
    EXPECT_EQ(FormatScale(0.365f), "0.365000009536743");
    EXPECT_EQ(FormatScale(1.1f), "1.10000002384186");
    EXPECT_EQ(FormatScale(0.5f), "0.5");
    struct {
        const char* text;
        std::optional<float> value;
    } cases[] = {{"0.365", 0.365f},     {"0,365", 0.365f},       {"+2", 2.0f},
                 {"-1.5", -1.5f},       {"1e-1", 0.1f},          {"", std::nullopt},
                 {"abc", std::nullopt}, {"1,2,3", std::nullopt}, {"1.2,3", std::nullopt},
                 {"nan", std::nullopt}, {"inf", std::nullopt},   {"1e39", std::nullopt},
                 {"2 ", std::nullopt},  {"++2", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseScale(c.text), c.value) << c.text;
}

} // namespace
