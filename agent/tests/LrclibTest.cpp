// The open lyric database's records: parsing hostile and malformed replies, the choice of the record
// (durations, synced or plain, instrumental, names), and the addresses asked.
#include "agent/core/TLrclib.h"

#include <gtest/gtest.h>

using namespace agent;

namespace {

TLrclibRecord Record(const char* title, const char* artist, double duration, const char* plain,
                     const char* synced, bool instrumental = false) {
    TLrclibRecord r;
    r.TrackName = title;
    r.ArtistName = artist;
    r.Duration = duration;
    r.PlainLyrics = plain;
    r.SyncedLyrics = synced;
    r.Instrumental = instrumental;
    return r;
}

} // namespace

TEST(Lrclib, ParsesObjectsAndLists) {
    const auto one = ParseLrclibReply(
        R"({"id":3,"trackName":"Tune","artistName":"Band","albumName":null,"duration":185.5,)"
        R"("instrumental":false,"plainLyrics":"A\nB","syncedLyrics":"[00:01.00]A"})");
    ASSERT_TRUE(one);
    ASSERT_EQ(one->size(), 1u);
    EXPECT_EQ((*one)[0].TrackName, "Tune");
    EXPECT_EQ((*one)[0].ArtistName, "Band");
    EXPECT_EQ((*one)[0].AlbumName, ""); // null reads as empty
    EXPECT_DOUBLE_EQ((*one)[0].Duration, 185.5);
    EXPECT_EQ((*one)[0].PlainLyrics, "A\nB");
    EXPECT_EQ((*one)[0].SyncedLyrics, "[00:01.00]A");

    // Elements that are no objects are skipped; fields of the wrong type read as missing.
    const auto list =
        ParseLrclibReply(R"([1, "x", {"trackName": 5, "duration": "185", "instrumental": "yes"},)"
                         R"( {"trackName": "T", "duration": -3}])");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].TrackName, "");
    EXPECT_EQ((*list)[0].Duration, 0);
    EXPECT_FALSE((*list)[0].Instrumental);
    EXPECT_EQ((*list)[1].Duration, 0); // a negative length is no length
    EXPECT_TRUE(ParseLrclibReply("[]")->empty());
}

TEST(Lrclib, MalformedAndHostileRepliesGiveNothing) {
    for (const std::string& body :
         {std::string(""), std::string("{"), std::string("<html>404</html>"), std::string("\"text\""),
          std::string("42"), std::string("null"), std::string("{\"a\":1} trailing"),
          std::string("[{\"trackName\":\"\xFF\"}]"), std::string(100000, '[') + std::string(100000, ']')})
        EXPECT_FALSE(ParseLrclibReply(body)) << body.substr(0, 40);
    // Nesting up to the limit is fine.
    EXPECT_TRUE(ParseLrclibReply(std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']')));
}

TEST(Lrclib, DurationMatching) {
    // The song's length against the record's duration: within 2 s either way counts.
    const struct {
        int songLength;
        double duration;
        bool chosen;
    } cases[] = {
        {185, 185.0, true},  {185, 187.0, true}, {185, 183.0, true}, {185, 187.1, false},
        {185, 182.9, false}, {185, 0.0, false}, // a record without duration cannot match a known length
        {0, 300.0, true},    {0, 0.0, true},    // an unknown length takes any duration
    };
    for (const auto& c : cases) {
        TSongQuery query{"Band", "Tune", c.songLength, false};
        const auto chosen = ChooseLyrics({Record("Tune", "Band", c.duration, "La la", "")}, query);
        EXPECT_EQ(chosen.has_value(), c.chosen) << c.songLength << " vs " << c.duration;
    }

    // Of several versions the one of the song's length is taken, wherever it stands in the list.
    const std::vector<TLrclibRecord> versions = {Record("Tune", "Band", 240, "Live", ""),
                                                 Record("Tune", "Band", 186, "Album", ""),
                                                 Record("Tune", "Band", 120, "Edit", "")};
    EXPECT_EQ(ChooseLyrics(versions, {"Band", "Tune", 185, false})->Text, "Album");
    EXPECT_EQ(ChooseLyrics(versions, {"Band", "Tune", 121, false})->Text, "Edit");
    EXPECT_FALSE(ChooseLyrics(versions, {"Band", "Tune", 200, false}));
}

TEST(Lrclib, SyncedPlainAndInstrumental) {
    const TLrclibRecord plainOnly = Record("Tune", "Band", 185, "Plain", "");
    const TLrclibRecord both = Record("Tune", "Band", 185, "Plain", "[00:01.00]Synced");
    const TLrclibRecord instrumental = Record("Tune", "Band", 185, "", "", true);
    const TLrclibRecord empty = Record("Tune", "Band", 185, " \n", "");

    // Without the flag: synced when present, else plain.
    auto c = ChooseLyrics({both}, {"Band", "Tune", 185, false});
    EXPECT_EQ(c->Text, "[00:01.00]Synced");
    EXPECT_TRUE(c->Synced);
    c = ChooseLyrics({plainOnly}, {"Band", "Tune", 185, false});
    EXPECT_EQ(c->Text, "Plain");
    EXPECT_FALSE(c->Synced);

    // With the flag a synced record wins over a plain one that fits the names better.
    c = ChooseLyrics(
        {Record("Tune", "Band", 185, "Plain", ""), Record("Tunes", "Band", 185, "", "[00:02.00]S")},
        {"Band", "Tune", 185, true});
    EXPECT_EQ(c->Text, "[00:02.00]S");
    // Without it the closer names win, and a synced one only breaks a tie.
    c = ChooseLyrics(
        {Record("Tunes", "Band", 185, "", "[00:02.00]S"), Record("Tune", "Band", 185, "Plain", "")},
        {"Band", "Tune", 185, false});
    EXPECT_EQ(c->Text, "Plain");
    // A plain record is still taken when no synced one is there.
    EXPECT_EQ(ChooseLyrics({plainOnly}, {"Band", "Tune", 185, true})->Text, "Plain");

    c = ChooseLyrics({instrumental}, {"Band", "Tune", 185, true});
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->Instrumental);
    EXPECT_EQ(c->Text, kInstrumentalText);
    EXPECT_FALSE(ChooseLyrics({empty}, {"Band", "Tune", 185, false})); // nothing to store
    EXPECT_FALSE(ChooseLyrics({}, {"Band", "Tune", 185, false}));
}

TEST(Lrclib, NamesMustFit) {
    const struct {
        const char* recordTitle;
        const char* recordArtist;
        const char* title;
        const char* artist;
        bool chosen;
    } cases[] = {
        {"Tune", "Band", "tune", "BAND", true},
        {"Don't Stop Me Now", "Queen", "Dont Stop Me Now", "Queen", true}, // punctuation ignored
        {"Tune (2011 Remaster)", "Band", "Tune", "Band", true},            // trailing parts
        {"Tune", "Band feat. Other", "Tune", "Band", true},
        {"Caf\xC3\xA9", "Band", "CAF\xC3\x89", "Band", true}, // case of any script
        {"Another Song", "Band", "Tune", "Band", false},
        {"Tune", "Someone Else", "Tune", "Band", false},
        {"Tune", "Anyone", "Tune", "", true}, // no artist asked
    };
    for (const auto& c : cases) {
        const auto chosen = ChooseLyrics({Record(c.recordTitle, c.recordArtist, 185, "x", "")},
                                         {c.artist, c.title, 0, false});
        EXPECT_EQ(chosen.has_value(), c.chosen) << c.recordTitle << " / " << c.recordArtist;
    }
    // Long names are compared over a bounded part.
    const std::string longName(100000, 'a');
    EXPECT_TRUE(ChooseLyrics({Record(longName.c_str(), "Band", 185, "x", "")}, {"Band", longName, 0, false}));
}

TEST(Lrclib, Addresses) {
    TSongQuery query{"Simon & Garfunkel", "1+1=2 caf\xC3\xA9", 185, true};
    EXPECT_EQ(
        LrclibGetAddress("http://127.0.0.1:8080/", query),
        "http://127.0.0.1:8080/api/get?artist_name=Simon%20%26%20Garfunkel&track_name=1%2B1%3D2%20caf%C3%A9"
        "&duration=185");
    EXPECT_EQ(
        LrclibSearchAddress("https://lrclib.net", query),
        "https://lrclib.net/api/search?track_name=1%2B1%3D2%20caf%C3%A9&artist_name=Simon%20%26%20Garfunkel");
    query.LengthSeconds = 0;
    EXPECT_EQ(LrclibGetAddress("https://lrclib.net", query).find("duration"), std::string::npos);
    query.Artist.clear();
    EXPECT_EQ(LrclibSearchAddress("https://lrclib.net", query),
              "https://lrclib.net/api/search?q=1%2B1%3D2%20caf%C3%A9");
}
