#include "toolkit/DirectorySearch.h"
#include "platform/Platform.h"
#include "toolkit/CodePage.h"
#include "toolkit/Wildcard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using namespace toolkit;

namespace {

class TTempFolder {
public:
    TTempFolder() {
        static int counter = 0;
        std::random_device seed;
        Path = fs::temp_directory_path() /
               ("cantrel-search-" + std::to_string(seed()) + "-" + std::to_string(++counter));
        fs::create_directories(Path);
    }
    ~TTempFolder() {
        std::error_code ec;
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Path, ec);
    }
    std::string File(const std::string& relative) const {
        fs::path p = Path / fs::u8path(relative);
        p.make_preferred();
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "x";
        return p.u8string(); // a program path
    }
    std::string Folder(const std::string& relative) const {
        fs::path p = Path / fs::path(relative);
        p.make_preferred();
        fs::create_directories(p);
        return p.string();
    }
    fs::path Path;
};

// The names of a folder in the order the file system lists them, files only or folders only.
std::vector<std::string> Listed(const fs::path& folder, bool folders) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_directory() == folders)
            out.push_back(entry.path().string());
    }
    return out;
}

} // namespace

TEST(Wildcard, MatchTable) {
    SetActiveCodePage(1252);
    struct {
        const char* name;
        const char* pattern;
        bool match;
    } cases[] = {
        {"Artist - Song [190].lrc", "Artist - Song [190].lrc", true},
        {"ARTIST - song [190].LRC", "artist - Song [190].lrc", true},
        {"Artist - Song [180].lrc", "Artist - Song [190].lrc", false},
        {"Artist - Song [180].lrc", "Artist - Song [*].lrc", true},
        {"Artist - Song [].lrc", "Artist - Song [*].lrc", true},
        {"Artist - Song.lrc", "Artist - Song [*].lrc", false},
        {"Artist - Song [1].lrc", "Artist - Song [?].lrc", true},
        {"Artist - Song [12].lrc", "Artist - Song [?].lrc", false},
        {"Artist - Song1.lrc", "Artist - Song[1].lrc", false}, // brackets are literal, no character class
        {"a.lrc.txt", "*.lrc", false},
        {"x.lrc", "*.lrc", true},
        {".lrc", "*.lrc", true},
        {"abcabcabd", "*abd", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false},
        {"", "*", true},
        {"", "?", false},
        {"\xC9t\xE9.txt", "\xE9T\xC9.TXT", true}, // Été: letters beyond ASCII fold too
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WildcardMatch(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
    }
}

TEST(Wildcard, FoldsTheLettersOfEachCodePage) {
    struct {
        int page;
        const char* upper;
        const char* lower;
    } cases[] = {
        {1251, "\xCC\xE5\xEB\xFC\xED\xE8\xF6\xE0", "\xEC\xE5\xEB\xFC\xED\xE8\xF6\xE0"}, // Мельница / мельница
        {1251, "\xA8\xC6", "\xB8\xE6"},                                                 // ЁЖ / ёж
        {1250, "\x8A\xA3\xD3", "\x9A\xB3\xF3"},                                         // ŠŁÓ / šłó
        {1253, "\xC1\xC8\xA2", "\xE1\xE8\xDC"},                                         // ΑΘΆ / αθά
        {1252, "\x8A\x9F\xC0", "\x9A\xFF\xE0"},                                         // ŠŸÀ / šÿà
    };
    for (const auto& c : cases) {
        SetActiveCodePage(c.page);
        EXPECT_TRUE(WildcardMatch(c.upper, c.lower)) << c.page;
        EXPECT_TRUE(WildcardMatch(c.lower, c.upper)) << c.page;
    }
    SetActiveCodePage(1252);
    EXPECT_FALSE(WildcardMatch("\xD7", "\xF7")); // × and ÷ are no letter pair
}

TEST(DirectorySearch, RootFilesFirstThenEachSubfolderCompletely) {
    TTempFolder tmp;
    tmp.File("b/deep/song.lrc");
    tmp.File("b/song.lrc");
    tmp.File("a/song.lrc");
    tmp.File("SONG.LRC");
    tmp.File("song.txt");
    tmp.File("c/other.lrc");

    TDirectorySearch search;
    search.Root = tmp.Path.string();
    search.Pattern = "song.lrc";
    int progress = 0;
    search.OnProgress = [&] { ++progress; };
    search.Search();

    // Expected: root files, then each subfolder (listing order), each completely before the next.
    std::vector<std::string> expected{(tmp.Path / "SONG.LRC").string()};
    for (const std::string& sub : Listed(tmp.Path, true)) {
        if (fs::path(sub).filename() == "a")
            expected.push_back((fs::path(sub) / "song.lrc").string());
        if (fs::path(sub).filename() == "b") {
            expected.push_back((fs::path(sub) / "song.lrc").string());
            expected.push_back((fs::path(sub) / "deep" / "song.lrc").string());
        }
    }
    EXPECT_EQ(search.Found, expected);
    EXPECT_EQ(progress, 10); // one per entry: 5 in the root, 2 in b, 1 each in b/deep, a and c
    search.Recursive = false;
    search.Search();
    EXPECT_EQ(search.Found, std::vector<std::string>{(tmp.Path / "SONG.LRC").string()});
}

TEST(DirectorySearch, MissingOrFileRootGivesNothing) {
    TTempFolder tmp;
    const std::string file = tmp.File("song.lrc");
    for (const std::string& root : {(tmp.Path / "missing").string(), file, std::string()}) {
        TDirectorySearch search;
        search.Root = root;
        search.Pattern = "*";
        search.Search();
        EXPECT_TRUE(search.Found.empty()) << root;
        EXPECT_EQ(FindFirstOfPatterns(root, true, {"*"}, {}), "") << root;
    }
}

TEST(DirectorySearch, FolderThatVanishesBeforeItIsListedIsSkipped) {
    TTempFolder tmp;
    tmp.File("a/song.lrc");
    tmp.File("b/song.lrc");
    tmp.File("c/song.lrc");
    // The first subfolder in listing order vanishes while the root is listed: listing it later fails.
    const std::vector<std::string> subs = Listed(tmp.Path, true);
    TDirectorySearch search;
    search.Root = tmp.Path.string();
    search.Pattern = "song.lrc";
    bool removed = false;
    search.OnProgress = [&] {
        if (!removed)
            fs::remove_all(subs[0]);
        removed = true;
    };
    search.Search();
    EXPECT_EQ(search.Found, (std::vector<std::string>{(fs::path(subs[1]) / "song.lrc").string(),
                                                      (fs::path(subs[2]) / "song.lrc").string()}));
}

TEST(DirectorySearch, FolderWithoutReadPermissionIsSkipped) {
    TTempFolder tmp;
    tmp.File("a/song.lrc");
    const std::string locked = tmp.Folder("locked");
    tmp.File("locked/song.lrc");
    fs::permissions(locked, fs::perms::none);
    std::error_code ec;
    fs::directory_iterator probe(locked, ec);
    if (!ec)
        GTEST_SKIP() << "permissions are not enforced for this user";
    TDirectorySearch search;
    search.Root = tmp.Path.string();
    search.Pattern = "song.lrc";
    search.Search();
    EXPECT_EQ(search.Found, std::vector<std::string>{(tmp.Path / "a" / "song.lrc").string()});
}

TEST(DirectorySearch, SymbolicLinkLoopsEndAndFindEachFileOnce) {
    TTempFolder tmp;
    tmp.File("a/song.lrc");
    std::error_code ec;
    fs::create_directory_symlink(tmp.Path, tmp.Path / "a" / "back-to-root", ec);
    if (ec)
        GTEST_SKIP() << "symbolic links cannot be made here: " << ec.message();
    fs::create_directory_symlink(tmp.Path / "a", tmp.Path / "a" / "self", ec);
    fs::create_symlink(tmp.Path / "knot", tmp.Path / "knot", ec); // a link to itself
    fs::create_directory_symlink(tmp.Path / "a", tmp.Path / "link-to-a", ec);

    TDirectorySearch search;
    search.Root = tmp.Path.string();
    search.Pattern = "song.lrc";
    search.Search();
    ASSERT_EQ(search.Found.size(), 1u);
    EXPECT_EQ(fs::path(search.Found[0]).filename(), "song.lrc");
}

TEST(DirectorySearch, Utf8NamesMatchPatternsInTheActiveCodePage) {
    TTempFolder tmp;
    const std::string onDisk = tmp.File("\xD0\x9C\xD0\xB5\xD0\xBB\xD1\x8C.lrc"); // Мель.lrc in UTF-8
    SetActiveCodePage(1251);
    TDirectorySearch search;
    search.Root = tmp.Path.string();
    search.Pattern = "\xEC\xE5\xEB\xFC.LRC"; // мель.LRC in 1251
    search.Search();
    SetActiveCodePage(1252);
    EXPECT_EQ(search.Found, std::vector<std::string>{onDisk});
}

TEST(DirectorySearch, NamesOfAnyScriptUnderUtf8AndNamesThatAreNotUtf8) {
    TTempFolder tmp;
    const std::string kino = tmp.File(
        "\xd0\x9a\xd0\x98\xd0\x9d\xd0\x9e - \xd0\x93\xd1\x80\xd1\x83\xd0\xbf\xd0\xbf\xd0\xb0.lrc"); // КИНО -
                                                                                                    // Группа
    const std::string japanese = tmp.File("\xe6\x97\xa5\xe6\x9c\xac [190].lrc"); // 日本 [190].lrc
    // A name of an old Linux file system, not UTF-8; Windows file names are always Unicode.
    const bool rawNames = platform::PathSeparator() == '/';
    const std::string latin1 = rawNames ? tmp.File("Mot\xf6rhead.txt") : std::string();
    struct {
        int page;
        std::string pattern;
        std::string found;
    } cases[] = {
        {kCodePageUtf8,
         "\xd0\xba\xd0\xb8\xd0\xbd\xd0\xbe - \xd0\xb3\xd1\x80\xd1\x83\xd0\xbf\xd0\xbf\xd0\xb0.LRC", kino},
        {kCodePageUtf8, "\xe6\x97\xa5? [*].lrc", japanese}, // "?" is one character of three bytes
        {kCodePageUtf8, "\xe6\x97\xa5??? [*].lrc", ""},
        {1251, "\xea\xe8\xed\xee - \xc3\xf0\xf3\xef\xef\xe0.lrc", kino}, // the same name typed in 1251
        {1252, "MOT\xd6RHEAD.txt", latin1},
        {kCodePageUtf8, "Mot\xc3\xb6rhead.txt", latin1}, // read as Windows-1252 while the page is UTF-8
    };
    for (const auto& c : cases) {
        SetActiveCodePage(c.page);
        TDirectorySearch search;
        search.Root = tmp.Path.string();
        search.Pattern = c.pattern;
        search.Search();
        EXPECT_EQ(search.Found,
                  c.found.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.found})
            << c.page << " " << c.pattern;
    }
    SetActiveCodePage(1252);
}

// The single walk for several patterns gives what the searches one after the other give first.
TEST(DirectorySearch, OneWalkEqualsThePatternsSearchedInTurn) {
    std::mt19937 random(7);
    const char* names[] = {"S [190].lrc", "S [180].lrc", "S.lrc", "S.txt", "s.LRC", "other.lrc", "S.lrc.bak"};
    const std::vector<std::string> patterns{"S [190].lrc", "S.lrc", "S.txt"};
    for (int round = 0; round < 40; ++round) {
        TTempFolder tmp;
        for (int f = 0; f < 6; ++f) {
            std::string folder;
            for (int depth = random() % 3; depth > 0; --depth)
                folder += std::string(1, char('a' + random() % 3)) + "/";
            tmp.File(folder + names[random() % std::size(names)]);
        }
        for (bool recursive : {true, false}) {
            std::string expected;
            for (const std::string& pattern : patterns) {
                TDirectorySearch search;
                search.Root = tmp.Path.string();
                search.Recursive = recursive;
                search.Pattern = pattern;
                search.Search();
                if (!search.Found.empty()) {
                    expected = search.Found[0];
                    break;
                }
            }
            EXPECT_EQ(FindFirstOfPatterns(tmp.Path.string(), recursive, patterns, {}), expected) << round;
        }
    }
}
