#include "wmp_plugin/StatusText.h"

#include "wmp_plugin/PluginSettings.h"

#include <gtest/gtest.h>

using namespace wmp_plugin;

TEST(StatusText, OccasionTable) {
    const TPluginSettings defaults = DefaultPluginSettings(u"C:\\WMP\\", u"alice");
    TPluginSettings reread = defaults;
    reread.Title = u"Now playing:";
    TPluginSettings unsigned_ = defaults;
    unsigned_.Sign.clear();

    const TMediaItem song{u"Artist", u"Song"};
    const TMediaItem bare{u"", u""};
    const std::u16string sign = u"\r\n\r\nWith Best Regards, alice";
    const std::u16string wmp = u"Windows Media Player";

    struct {
        const char* what;
        TOccasion occasion;
        const TPluginSettings* settings;
        const TMediaItem* media;
        std::u16string text;
        bool setCaption;
        std::u16string caption;
    } cases[] = {
        {"playing, default title", TOccasion::Playing, &defaults, &song,
         u"Now playing:  Artist - Song" + sign, true, u"Artist - Song - " + wmp},
        {"playing, title read back", TOccasion::Playing, &reread, &song, u"Now playing: Artist - Song" + sign,
         true, u"Artist - Song - " + wmp},
        {"playing, no signature", TOccasion::Playing, &unsigned_, &song, u"Now playing:  Artist - Song", true,
         u"Artist - Song - " + wmp},
        {"playing, attributes missing", TOccasion::Playing, &defaults, &bare, u"Now playing:   - " + sign,
         true, u" -  - " + wmp},
        {"stopped", TOccasion::Stopped, &defaults, &song, u"Windows Media Player is stopped..." + sign, true,
         wmp},
        {"stopped, no signature", TOccasion::Stopped, &unsigned_, &song,
         u"Windows Media Player is stopped...", true, wmp},
        {"playing, no media item", TOccasion::Playing, &defaults, nullptr, sign, false, u""},
        {"stopped, no media item", TOccasion::Stopped, &defaults, nullptr, sign, false, u""},
        {"stopped, no media item, no signature", TOccasion::Stopped, &unsigned_, nullptr, u"", false, u""},
        {"inactive", TOccasion::Inactive, &defaults, nullptr, u"Windows Media Player is inactive..." + sign,
         true, wmp},
        {"inactive while a song plays", TOccasion::Inactive, &defaults, &song,
         u"Windows Media Player is inactive..." + sign, true, wmp},
    };
    for (const auto& c : cases) {
        const auto out = ComposeStatus(c.occasion, *c.settings, c.media);
        EXPECT_EQ(out.Text, c.text) << c.what;
        EXPECT_EQ(out.SetCaption, c.setCaption) << c.what;
        if (c.setCaption) {
            EXPECT_EQ(out.Caption, c.caption) << c.what;
        }
    }
}
