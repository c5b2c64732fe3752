#include "config/TSongList.h"

#include "config/USettings.h"
#include "config/tests/TRecordingSettingsView.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

using namespace config;
using testing_support::TTempFolder;

namespace {

TEST(SongList, LoadsLinesSortedWithoutRepeats) {
    struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> items;
    } cases[] = {
        {"the same name twice in different case",
         "U2 - One\r\nABBA - SOS\r\nu2 - ONE\r\n",
         {"ABBA - SOS", "U2 - One"}},
        {"LF, CR and a last line without a break", "b\na\rc", {"a", "b", "c"}},
        {"empty lines count once", "x\r\n\r\n\r\ny\r\n", {"", "x", "y"}},
        {"empty file", "", {}},
        {"letters beyond ASCII",
         "\xe4"
         "b\r\n\xc4"
         "B\r\nz\r\n",
         {"z", "\xe4"
               "b"}},
    };
    for (const auto& c : cases) {
        TSongList list;
        list.Add("left over");
        list.LoadFromBytes(c.bytes);
        EXPECT_EQ(list.Items(), c.items) << c.name;
    }
}

TEST(SongList, AddRemoveContains) {
    TSongList list;
    EXPECT_TRUE(list.Add("Beta"));
    EXPECT_TRUE(list.Add("alpha"));
    EXPECT_TRUE(list.Add("Gamma"));
    EXPECT_FALSE(list.Add("ALPHA"));
    EXPECT_FALSE(list.Add("two\r\nlines"));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
    EXPECT_TRUE(list.Contains("gamma"));
    EXPECT_FALSE(list.Contains("delta"));
    EXPECT_TRUE(list.Remove("BETA"));
    EXPECT_FALSE(list.Remove("beta"));
    EXPECT_EQ(list.ToBytes(), "alpha\r\nGamma\r\n");
}

TEST(SongList, FilesThroughTheSettingsStore) {
    TTempFolder temp;
    const char sep = platform::PathSeparator();
    const std::string cantrel = temp / "Cantrel" + sep;
    toolkit::EnsureFolder(cantrel);
    TTempFolder::WriteFile(cantrel + "CancelList.txt", "Song B\r\nsong b\r\nSong A");
    TRecordingSettingsView view;
    TSongList cancel, upload;
    upload.Add("stale entry");
    TSettings settings(view, cancel, upload, temp.Path(), "", sep);
    settings.LoadSettings();
    EXPECT_EQ(cancel.Items(), (std::vector<std::string>{"Song A", "Song B"}));
    EXPECT_EQ(upload.Count(), 0u); // missing Upload.txt: empty list
    ASSERT_TRUE(settings.SaveSettings());
    EXPECT_EQ(TTempFolder::ReadFile(cantrel + "CancelList.txt"), "Song A\r\nSong B\r\n");
    EXPECT_TRUE(toolkit::FileExists(cantrel + "Upload.txt"));
    EXPECT_EQ(TTempFolder::ReadFile(cantrel + "Upload.txt"), "");

    // An unreadable list file empties the list; the save replaces the file.
    std::filesystem::remove(cantrel + "Upload.txt");
    std::filesystem::create_directory(cantrel + "Upload.txt");
    upload.Add("x");
    settings.LoadUploadList();
    EXPECT_EQ(upload.Count(), 0u);
    EXPECT_FALSE(settings.SaveUploadList()); // a folder stands there; ignored by the store
}

TEST(SongList, LookupsAfterACharsetChange) {
    // Under 1252 "\xd7" (the sign x) sorts before "\xc0" (A grave); under 1251 they are Ch and A, the
    // other way round. After the switch every entry must still be found.
    TTempFolder temp;
    const char sep = platform::PathSeparator();
    toolkit::EnsureFolder(temp / "Cantrel");
    TRecordingSettingsView view;
    TSongList cancel, upload;
    TSettings settings(view, cancel, upload, temp.Path(), "", sep);
    settings.LoadSettings();
    settings.SetCharset("charset_english");
    for (const char* entry : {"\xc0 - Song", "\xd7 - Song", "Zed - Song", "\xe0 - Other"})
        cancel.Add(entry);
    settings.SetCharset("charset_russian");
    EXPECT_EQ(cancel.Items(),
              (std::vector<std::string>{"Zed - Song", "\xe0 - Other", "\xc0 - Song", "\xd7 - Song"}));
    for (const std::string& entry : std::vector<std::string>(cancel.Items()))
        EXPECT_TRUE(cancel.Contains(entry)) << entry;
    EXPECT_TRUE(cancel.Contains("\xf7 - SONG")); // ch - SONG in 1251
    EXPECT_FALSE(cancel.Add("\xe0 - song"));     // the same as "A - Song" without regard to case
    settings.SetCharset("charset_unicode");
    for (const std::string& entry : std::vector<std::string>(cancel.Items()))
        EXPECT_TRUE(cancel.Contains(entry)) << entry;
    toolkit::SetActiveCodePage(1252);
}

TEST(SongList, LongReverseOrderedFile) {
    // Reverse order is the worst case for one-by-one sorted insertion; the load sorts once.
    std::string bytes;
    for (int i = 200000; i > 0; --i)
        bytes += "Artist " + std::to_string(i) + " - Title\r\n";
    TSongList list;
    list.LoadFromBytes(bytes);
    EXPECT_EQ(list.Count(), 200000u);
    EXPECT_EQ(list.Items().front(), "Artist 1 - Title");
}

} // namespace
