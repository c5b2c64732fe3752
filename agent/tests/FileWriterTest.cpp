// Storing found lyrics: the file names the lookup searches for, the bytes with their "[dl:" tag in the
// active character set, song names that try to leave the folder, the user's own files, earlier downloads,
// and folders that are missing or read-only.
#include "agent/core/TLyricFileWriter.h"

#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace agent;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class FileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Root = fs::temp_directory_path() / ("cantrel-writer-" + std::to_string(std::random_device()()));
        Folder = Root / "lyrics";
        fs::create_directories(Folder);
    }
    void TearDown() override {
        fs::permissions(Folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(Root);
    }
    TLyricsTarget Target(const std::string& song, int length = 0) {
        TLyricsTarget t;
        t.Folder = Folder.string() + "/";
        t.SongName = song;
        t.LengthSeconds = length;
        return t;
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path Root, Folder;
};

} // namespace

TEST_F(FileWriterTest, NamesAndBytes) {
    EXPECT_EQ(LyricFileName("A - B", 185, true), "A - B [190].lrc");
    EXPECT_EQ(LyricFileName("A - B", 0, true), "A - B.lrc");
    EXPECT_EQ(LyricFileName("A - B", 185, false), "A - B.txt");

    bool timestamped = false;
    EXPECT_EQ(LyricFileBytes("[00:01.00]One\n[00:02.50]Two\n\n", "http://s/?q=x", 65001, &timestamped),
              "[dl:http://s/?q=x]\r\n[00:01.00]One\r\n[00:02.50]Two\r\n");
    EXPECT_TRUE(timestamped);
    // A "[dl:" line of the source itself is left out, so the tag names the real source; line ends become CR
    // LF.
    EXPECT_EQ(LyricFileBytes("[dl:http://elsewhere/]\r\nOne\rTwo", "http://s/", 65001, &timestamped),
              "[dl:http://s/]\r\nOne\r\nTwo\r\n");
    EXPECT_FALSE(timestamped);
    // The active character set: Windows-1252 here.
    EXPECT_EQ(LyricFileBytes("Caf\xC3\xA9", "http://s/", 1252), "[dl:http://s/]\r\nCaf\xE9\r\n");
}

TEST_F(FileWriterTest, SongNamesThatAreNoFileNames) {
    for (const std::string& name :
         {std::string("../escape"), std::string("a/b"), std::string("a\\b"), std::string("C:x"),
          std::string(".."), std::string("."), std::string(""), std::string("CON"), std::string("nul.txt"),
          std::string("com1"), std::string("LPT9 "), std::string("a\nb"), std::string("a?b"),
          std::string(300, 'x')}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(FileNameProblem(name, 65001), kErrorNoFileName);
        const TStoreResult r = StoreLyrics(Target(name), "[dl:x]\r\nA\r\n", false);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Error, kErrorNoFileName);
    }
    EXPECT_TRUE(Files().empty());
    EXPECT_FALSE(fs::exists(Root / "escape.txt"));
    for (const char* name : {"Band - Tune", "..Band", "Console - X", "a.b.c", "Caf\xC3\xA9"})
        EXPECT_EQ(FileNameProblem(name, 65001), "") << name;
}

TEST_F(FileWriterTest, StoresNewFilesUnderTheLookupsName) {
    TStoreResult r = StoreLyrics(Target("Band - Tune", 185), "[dl:http://s/]\r\n[00:01.00]A\r\n", true);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(fs::path(r.Path).filename(), "Band - Tune [190].lrc");
    EXPECT_EQ(ReadAll(Folder / "Band - Tune [190].lrc"), "[dl:http://s/]\r\n[00:01.00]A\r\n");
    r = StoreLyrics(Target("Other - Song"), "[dl:http://s/]\r\nPlain\r\n", false);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Files(), (std::vector<std::string>{"Band - Tune [190].lrc", "Other - Song.txt"}));
    EXPECT_EQ(StoredDownloadSource(Target("Band - Tune", 185)), "http://s/");
    EXPECT_EQ(StoredDownloadSource(Target("Nobody - Here")), "");
}

TEST_F(FileWriterTest, NeverReplacesTheUsersFiles) {
    // The user's own file at the name, or at a name the lookup tries first, stops the storing.
    for (const char* mine : {"Band - Tune.txt", "Band - Tune.lrc"}) {
        SCOPED_TRACE(mine);
        std::ofstream(Folder / mine, std::ios::binary) << "my own lyrics\r\n";
        const TStoreResult r = StoreLyrics(Target("Band - Tune"), "[dl:http://s/]\r\nTheirs\r\n", false);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Error, kErrorUserFileInWay);
        EXPECT_EQ(ReadAll(Folder / mine), "my own lyrics\r\n");
        EXPECT_EQ(Files(), std::vector<std::string>{mine});
        fs::remove(Folder / mine);
    }
}

TEST_F(FileWriterTest, EarlierDownloadsStepAside) {
    std::ofstream(Folder / "Band - Tune.lrc", std::ios::binary) << "[dl:http://one/]\r\n[00:01.00]Old\r\n";
    TStoreResult r = StoreLyrics(Target("Band - Tune"), "[dl:http://two/]\r\n[00:01.00]New\r\n", true);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(ReadAll(Folder / "Band - Tune.lrc"), "[dl:http://two/]\r\n[00:01.00]New\r\n");
    EXPECT_EQ(ReadAll(Folder / "Band - Tune.lrc.old"), "[dl:http://one/]\r\n[00:01.00]Old\r\n");

    // A download the lookup finds first (any length pattern) is moved aside so the new plain file is found.
    r = StoreLyrics(Target("Band - Tune"), "[dl:http://three/]\r\nPlain\r\n", false);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Files(),
              (std::vector<std::string>{"Band - Tune.lrc.old", "Band - Tune.lrc.old2", "Band - Tune.txt"}));
}

TEST_F(FileWriterTest, MissingAndReadOnlyFolders) {
    TLyricsTarget missing = Target("Band - Tune");
    missing.Folder = (Root / "nowhere").string();
    EXPECT_EQ(StoreLyrics(missing, "x", false).Error, kErrorNoLyricsFolder);
    EXPECT_FALSE(fs::exists(Root / "nowhere"));

    fs::permissions(Folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (toolkit::IsFolderWritable(Folder.string())) {
        fs::permissions(Folder, fs::perms::owner_all);
        GTEST_SKIP() << "this user writes into read-only folders (root, or a system without such folders)";
    }
    const TStoreResult r = StoreLyrics(Target("Band - Tune"), "[dl:x]\r\nA\r\n", false);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, kErrorReadOnlyFolder);
    fs::permissions(Folder, fs::perms::owner_all);
    EXPECT_TRUE(Files().empty()); // nothing half-written
}
