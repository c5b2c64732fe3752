#include "toolkit/TProfileFile.h"

#include "toolkit/FileBytes.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <random>

using testing_support::TTempFolder;
using toolkit::TProfileFile;

namespace {

// A file as the Windows profile functions leave it after a few writes, then edited by hand: CR LF line
// ends, blanks around names and values, a comment, a line without '=', names in other case, a quoted
// value, a repeated section and a repeated key.
const std::string kWindowsFile = "; written by hand\r\n"
                                 "[General]\r\n"
                                 "FontSize=22\r\n"
                                 "  charset =  charset_greek  \r\n"
                                 "not a key line\r\n"
                                 "FONTSIZE=11\r\n"
                                 "\r\n"
                                 "[ Files ]\r\n"
                                 "LyricsDir=C:\\Program Files\\Cantrel\\lyrics\r\n"
                                 "Quoted=\"  padded  \"\r\n"
                                 "Half=\"open\r\n"
                                 "Empty=\r\n"
                                 "[general]\r\n"
                                 "Extra=1\r\n";

TEST(ProfileFile, ReadsWhatWindowsWrites) {
    const TProfileFile ini(kWindowsFile);
    struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"General", "FontSize", "22"},           // the first of two keys of that name
        {"GENERAL", "Charset", "charset_greek"}, // names without regard to case, blanks dropped
        {"general", "not a key line", std::nullopt},
        {"Files", "LyricsDir", "C:\\Program Files\\Cantrel\\lyrics"},
        {"Files", "Quoted", "  padded  "}, // one pair of surrounding quotes removed
        {"Files", "Half", "\"open"},
        {"Files", "Empty", ""},
        {"General", "Extra", std::nullopt}, // only the first section of a name counts
        {"Missing", "FontSize", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.Find(c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"General", "Files", "general"}));
    EXPECT_EQ(ini.Bytes(), kWindowsFile); // nothing changes by reading
}

TEST(ProfileFile, WritesWhatWindowsReads) {
    // A new file, then new sections and keys, come out as the Windows functions write them.
    TProfileFile ini;
    EXPECT_TRUE(ini.WriteString("General", "FontSize", "15"));
    EXPECT_TRUE(ini.WriteBool("General", "AnimateButtons", false));
    EXPECT_TRUE(ini.WriteString("Files", "LyricsDir", "C:\\x\\lyrics"));
    EXPECT_TRUE(ini.WriteInteger("General", "Width", -3));
    EXPECT_EQ(ini.Bytes(), "[General]\r\n"
                           "FontSize=15\r\n"
                           "AnimateButtons=0\r\n"
                           "Width=-3\r\n"
                           "[Files]\r\n"
                           "LyricsDir=C:\\x\\lyrics\r\n");
}

TEST(ProfileFile, WriteReplacesOneKeyInPlace) {
    struct {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    } cases[] = {
        {"replace keeps the key's spelling and the rest", kWindowsFile, "general", "fontsize", "30",
         "; written by hand\r\n[General]\r\nFontSize=30\r\n" +
             kWindowsFile.substr(kWindowsFile.find("  charset"))},
        {"new key after the section's last line, before blank lines", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A",
         "z", "3", "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"LF-only file stays LF", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"last line without a line break", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"section header as last line", "[A]", "A", "y", "2", "[A]\r\ny=2\r\n"},
        {"value cut at its line break", "", "A", "k", "one\r\ntwo", "[A]\r\nk=one\r\n"},
        {"a key before any section is not in one", "k=1\r\n", "A", "k", "2", "k=1\r\n[A]\r\nk=2\r\n"},
    };
    for (const auto& c : cases) {
        TProfileFile ini(c.before);
        EXPECT_TRUE(ini.WriteString(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(ini.Bytes(), c.after) << c.name;
        // What was written reads back through a fresh parse.
        EXPECT_EQ(TProfileFile(ini.Bytes()).Find(c.section, c.key),
                  std::string(c.value).substr(0, std::string(c.value).find('\r')))
            << c.name;
    }
}

TEST(ProfileFile, RefusesNamesThatWouldBreakTheFile) {
    struct {
        std::string section;
        std::string key;
    } cases[] = {{"", "k"},       {"  ", "k"},   {"A", ""},    {"A", "a=b"},
                 {"A\r\nB", "k"}, {"A", "k\nx"}, {"A", "[k]"}, {std::string("A\0B", 3), "k"}};
    for (const auto& c : cases) {
        TProfileFile ini("[A]\r\nk=1\r\n");
        EXPECT_FALSE(ini.WriteString(c.section, c.key, "v")) << c.section << "/" << c.key;
        EXPECT_EQ(ini.Bytes(), "[A]\r\nk=1\r\n");
    }
}

TEST(ProfileFile, NumbersAndBooleans) {
    struct {
        const char* value;
        int integer;      // ReadInteger, default 7
        unsigned profile; // ReadProfileInt, default 7
        bool boolean;     // ReadBool, default true
    } cases[] = {
        {"15", 15, 15, true},
        {"0", 0, 0, false},
        {"-12", -12, 0, true},
        {"0x1F", 31, 31, true},
        {"$10", 16, 0, true},
        {"12abc", 7, 12, true},
        {"abc", 7, 0, true},
        {"", 7, 7, true},
        {"2147483648", 7, 2147483648u, true},
        {"-2147483648", -2147483647 - 1, 0, true},
        {"0xFFFFFFFF", -1, 0xFFFFFFFFu, true},
        {"1 2", 7, 1, true},
        {"+5", 5, 5, true},
        {"99999999999999999999", 7, 1661992959u, true},
    };
    for (const auto& c : cases) {
        const TProfileFile ini(std::string("[S]\r\nk=") + c.value + "\r\n");
        EXPECT_EQ(ini.ReadInteger("S", "k", 7), c.integer) << c.value;
        EXPECT_EQ(ini.ReadProfileInt("S", "k", 7), c.profile) << c.value;
        EXPECT_EQ(ini.ReadBool("S", "k", true), c.boolean) << c.value;
    }
    const TProfileFile empty;
    EXPECT_EQ(empty.ReadInteger("S", "k", 7), 7);
    EXPECT_EQ(empty.ReadProfileInt("S", "k", 7), 7u);
    EXPECT_FALSE(empty.ReadBool("S", "k", false));
}

TEST(ProfileFile, BadInputIsReadWithoutHarmAndKeptByteForByte) {
    std::mt19937 random(42);
    std::vector<std::string> inputs = {
        std::string(1 << 20, 'x') + "=1\r\n[S]\r\nk=" + std::string(1 << 20, 'v') + "\r\n", // very long lines
        std::string("\0\0[S]\0=\0\r\nk=a\0b\r\n", 17),                                      // zero bytes
        "[S\r\n=\r\n]\r\n[]\r\n[S]]\r\n=value\r\n[[S]\r\nk\r\n\r\r\n\n",                    // odd shapes
    };
    for (int n = 0; n < 200; ++n) {
        std::string garbage(random() % 400, '\0');
        for (auto& c : garbage)
            c = "[]=\r\n \tSk\x1a\xff\x80"[random() % 13];
        inputs.push_back(garbage);
    }
    for (const auto& input : inputs) {
        TProfileFile ini(input);
        EXPECT_EQ(ini.Bytes(), input);
        (void)ini.ReadString("S", "k", "default");
        (void)ini.ReadInteger("S", "k", 1);
        ASSERT_TRUE(ini.WriteString("S", "k", "new"));
        const TProfileFile again(ini.Bytes());
        EXPECT_EQ(again.ReadString("S", "k", "default"), "new");
    }
    // A zero byte ends a value, as it ends the C string the Windows functions return.
    EXPECT_EQ(TProfileFile(std::string("[S]\r\nk=a\0b\r\n", 12)).ReadString("S", "k", ""), "a");
}

TEST(ProfileFile, ByteOrderMarks) {
    // A UTF-8 mark is kept in front and does not hide the first section.
    TProfileFile utf8("\xef\xbb\xbf[A]\r\nk=1\r\n");
    EXPECT_EQ(utf8.ReadInteger("A", "k", 0), 1);
    ASSERT_TRUE(utf8.WriteString("A", "k", "2"));
    EXPECT_EQ(utf8.Bytes(), "\xef\xbb\xbf[A]\r\nk=2\r\n");
    // A UTF-16 file is neither understood nor damaged.
    const std::string utf16("\xff\xfe[\0A\0]\0", 8);
    TProfileFile wide(utf16);
    EXPECT_TRUE(wide.IsLocked());
    EXPECT_FALSE(wide.WriteString("A", "k", "1"));
    EXPECT_EQ(wide.Bytes(), utf16);
}

TEST(ProfileFileOnDisk, LoadAndSave) {
    TTempFolder folder;
    const std::string path = folder / "Settings.ini";
    EXPECT_TRUE(toolkit::LoadProfileFile(path).SectionNames().empty()); // missing file: empty
    EXPECT_FALSE(toolkit::LoadProfileFile(path).IsLocked());

    TProfileFile ini;
    ini.WriteString("General", "FontSize", "15");
    ASSERT_TRUE(toolkit::SaveProfileFile(ini, path));
    EXPECT_EQ(TTempFolder::ReadFile(path), "[General]\r\nFontSize=15\r\n");

    // A read-only file is not replaced.
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ini.WriteString("General", "FontSize", "20");
    std::string error;
    EXPECT_FALSE(toolkit::SaveProfileFile(ini, path, &error));
    EXPECT_EQ(error, "Unable to write to " + path);
    EXPECT_EQ(TTempFolder::ReadFile(path), "[General]\r\nFontSize=15\r\n");
    EXPECT_FALSE(toolkit::FileExists(path + ".~new"));

    // A path that is a folder reads as locked, so a save cannot replace it.
    const std::string dir = folder / "Dir.ini";
    std::filesystem::create_directory(dir);
    TProfileFile locked = toolkit::LoadProfileFile(dir);
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_FALSE(toolkit::SaveProfileFile(locked, dir));
}

} // namespace
