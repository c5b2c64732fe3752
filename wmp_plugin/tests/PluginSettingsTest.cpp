#include "wmp_plugin/PluginSettings.h"

#include <gtest/gtest.h>

using namespace wmp_plugin;

namespace {

TPluginSettings Sample() {
    return {u"T", u"C:\\out.txt", u"S", u"Stopped", u"Gone"};
}

std::string FileOf(const std::u16string& text) {
    return Utf16LeBytes(text);
}

const std::u16string kHeader = u"[Tuneline Plugin Settings]";

} // namespace

TEST(PluginSettings, DefaultsAndPlayerFolder) {
    EXPECT_EQ(PlayerFolderOf(u"C:\\Program Files\\Windows Media Player\\wmplayer.exe"),
              u"C:\\Program Files\\Windows Media Player\\");
    EXPECT_EQ(PlayerFolderOf(u"wmplayer.exe"), u"");
    EXPECT_EQ(PlayerFolderOf(u"a.exe"), u""); // shorter than the executable name: no folder, no underflow

    const auto d = DefaultPluginSettings(u"C:\\WMP\\", u"alice");
    EXPECT_EQ(d.Title, u"Now playing: ");
    EXPECT_EQ(d.Path, u"C:\\WMP\\tl_info.txt");
    EXPECT_EQ(d.Sign, u"With Best Regards, alice");
    EXPECT_EQ(d.Stop, u"Windows Media Player is stopped...");
    EXPECT_EQ(d.Exit, u"Windows Media Player is inactive...");

    // A user name longer than its 50-character buffer is cut to 49 characters.
    const std::u16string longName(80, u'u');
    EXPECT_EQ(DefaultPluginSettings(u"", longName).Sign, u"With Best Regards, " + std::u16string(49, u'u'));
    EXPECT_EQ(DefaultPluginSettings(u"", std::u16string(49, u'u')).Sign,
              u"With Best Regards, " + std::u16string(49, u'u'));
    // A character beyond the basic plane that the cut would split is left out whole.
    EXPECT_EQ(CutToField(std::u16string(48, u'u') + u"\U0001F3B5x", 50), std::u16string(48, u'u'));
    EXPECT_EQ(CutToField(std::u16string(47, u'u') + u"\U0001F3B5x", 50),
              std::u16string(47, u'u') + u"\U0001F3B5");
}

TEST(PluginSettings, WriterProducesSixUtf16Lines) {
    const auto lines = PluginSettingsLines(Sample());
    const std::u16string expected[6] = {
        u"[Tuneline Plugin Settings]\r\n",
        u"Title = T\r\n",
        u"Path = C:\\out.txt\r\n",
        u"Sign = S\r\n",
        u"Stop = Stopped\r\n",
        u"Exit = Gone\r\n",
    };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(lines[i], expected[i]) << i;
    // Little-endian code units, no byte order mark.
    EXPECT_EQ(Utf16LeBytes(u"[T\u00e9\u4e2d"), std::string("[\0T\0\xe9\0\x2d\x4e", 8));
}

TEST(PluginSettings, ReaderTable) {
    const TPluginSettings defaults = DefaultPluginSettings(u"C:\\WMP\\", u"alice");
    const std::u16string over150(150, u'x');
    const std::u16string over300(300, u'p');
    struct {
        const char* what;
        std::string bytes;
        bool accepted;
        TPluginSettings expected;
    } cases[] = {
        {"empty file", "", false, defaults},
        {"byte order mark", FileOf(u"\ufeff" + kHeader + u"\r\nTitle = X\r\n"), false, defaults},
        {"wrong first line", FileOf(u"[Other]\r\nTitle = X\r\nPath = Y\r\n"), false, defaults},
        {"first line with a trailing space", FileOf(kHeader + u" \r\nTitle = X\r\n"), false, defaults},
        {"header in another case", FileOf(u"[tuneline plugin settings]\r\nTitle = X\r\n"), false, defaults},
        {"all six lines",
         FileOf(kHeader + u"\r\nTitle = Now playing:\r\nPath = D:\\np.txt\r\nSign = -- me\r\nStop = halt\r\n"
                          u"Exit = bye\r\n"),
         true,
         {u"Now playing:", u"D:\\np.txt", u"-- me", u"halt", u"bye"}},
        // Taken by position whatever the key: "\nTitle = T" at a 7-character cut leaves "= T".
        {"lines in another order",
         FileOf(kHeader + u"\r\nPath = P\r\nExit = E\r\nTitle = T\r\nSign = S\r\nStop = O\r\n"),
         true,
         {u"P", u"E", u"= T", u"S", u"O"}},
        {"only three lines",
         FileOf(kHeader + u"\r\nTitle = T\r\nPath = P\r\n"),
         true,
         {u"T", u"P", u"", u"", u""}},
        {"only the header", FileOf(kHeader), true, {u"", u"", u"", u"", u""}},
        {"only spaces are trimmed",
         FileOf(kHeader + u"\r\nTitle =    \tA B\t   \r\nPath =P\r\nSign =\r\nStop = \r\nExit = x  "),
         true,
         {u"\tA B\t", u"P", u"", u"", u"x"}},
        {"lines longer than their fields are cut",
         FileOf(kHeader + u"\r\nTitle = " + over150 + u"\r\nPath = " + over300 + u"\r\nSign = " + over150 +
                u"\r\nStop = " + over150 + u"\r\nExit = " + over150),
         true,
         {std::u16string(99, u'x'), std::u16string(259, u'p'), std::u16string(99, u'x'),
          std::u16string(99, u'x'), std::u16string(99, u'x')}},
        {"a cut leaves no trailing space",
         FileOf(kHeader + u"\r\nTitle = " + std::u16string(98, u'a') + u"  b\r\n"),
         true,
         {std::u16string(98, u'a'), u"", u"", u"", u""}},
        {"odd trailing byte ignored",
         FileOf(kHeader + u"\r\nTitle = T") + "\x41",
         true,
         {u"T", u"", u"", u"", u""}},
    };
    for (const auto& c : cases) {
        TPluginSettings s = defaults;
        EXPECT_EQ(ParsePluginSettings(c.bytes, s), c.accepted) << c.what;
        EXPECT_EQ(s.Title, c.expected.Title) << c.what;
        EXPECT_EQ(s.Path, c.expected.Path) << c.what;
        EXPECT_EQ(s.Sign, c.expected.Sign) << c.what;
        EXPECT_EQ(s.Stop, c.expected.Stop) << c.what;
        EXPECT_EQ(s.Exit, c.expected.Exit) << c.what;
    }
}

TEST(PluginSettings, RoundTripLosesOnlyOuterSpaces) {
    TPluginSettings written = DefaultPluginSettings(u"C:\\WMP\\", u"alice");
    written.Stop = u"  spaced  out  ";
    std::string bytes;
    for (const auto& line : PluginSettingsLines(written))
        bytes += Utf16LeBytes(line);

    TPluginSettings read;
    ASSERT_TRUE(ParsePluginSettings(bytes, read));
    EXPECT_EQ(read.Title, u"Now playing:"); // the default's trailing space does not come back
    EXPECT_EQ(read.Path, written.Path);
    EXPECT_EQ(read.Sign, written.Sign);
    EXPECT_EQ(read.Stop, u"spaced  out");
    EXPECT_EQ(read.Exit, written.Exit);

    // A second round trip changes nothing more.
    std::string again;
    for (const auto& line : PluginSettingsLines(read))
        again += Utf16LeBytes(line);
    TPluginSettings reread;
    ASSERT_TRUE(ParsePluginSettings(again, reread));
    EXPECT_EQ(again.size(), bytes.size() - 2 * 5); // one space of the title, four of the stop text
    EXPECT_EQ(reread.Title, read.Title);
    EXPECT_EQ(reread.Stop, read.Stop);
}

TEST(PluginSettings, HugeFileIsReadOnlyToItsBound) {
    // A title line padded with spaces beyond the read bound: the line is cut where reading stops.
    std::u16string text = kHeader + u"\r\nTitle = A" + std::u16string(kMaxSettingsFileBytes, u' ') + u"B\r\n";
    TPluginSettings s;
    ASSERT_TRUE(ParsePluginSettings(FileOf(text), s));
    EXPECT_EQ(s.Title, u"A");
    EXPECT_EQ(s.Path, u"");
}
