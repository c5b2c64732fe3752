// Submissions to a lyric database played by a local HTTP server: the form byte for byte, the replies
// and what they leave in the upload list.

#include "database/tests/TestHttpServer.h"
#include "database/tests/UploadWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace database;
using database::test::Form;
using database::test::kDelimiter;
using database::test::TTestHttpServer;
using database::test::TUploadWorld;

namespace {

// The lyrics of the tests: timed lines ending with the note a download leaves.
const char* const kTimedLyrics = "[ar:Blur]\r\n"
                                 "[00:01.00]\r\n"
                                 "[00:02.50]Woo hoo\r\n"
                                 "[01:03.07]When I feel heavy metal\r\n"
                                 "[01:04.00]\r\n"
                                 "[01:05.00]-----------\r\n"
                                 "[01:06.00]Downloaded from www.example.org\r\n";

class SubmitLyric : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            unsetenv(name);
        Server.Post("/index.php", [this](const httplib::Request&, httplib::Response& res) {
            std::string reply;
            {
                std::lock_guard<std::mutex> lock(ReplyMutex);
                reply = Reply;
            }
            if (reply == "(silent)")
                Server.HoldUntilReleased(std::chrono::seconds(20));
            else
                res.set_content(reply, "text/html");
        });
        Server.Start();
        W.Settings.SetVersevaultUrl("http://127.0.0.1:" + std::to_string(Server.Port()));
        W.WriteIndex("--\r\n");
    }
    void SetReply(const std::string& reply) {
        std::lock_guard<std::mutex> lock(ReplyMutex);
        Reply = reply;
    }

    TUploadWorld W;
    std::mutex ReplyMutex;
    std::string Reply = "Lyric successfully added";
    TTestHttpServer Server;
};

TEST_F(SubmitLyric, NewTimestampedSubmission) {
    W.Load("Blur - Song 2", kTimedLyrics);
    W.Host.Length = 245900;
    ASSERT_TRUE(W.Submission.IsNewSubmission());
    SetReply("Lyric successfully added (timestamped)\r\n<br>thanks");

    ASSERT_TRUE(W.Submission.SubmitLyric("ignored for new entries"));

    ASSERT_EQ(Server.Records().size(), 1u);
    const auto request = Server.Records()[0];
    EXPECT_EQ(request.Path, "/index.php");
    EXPECT_EQ(request.Version, "HTTP/1.0");
    EXPECT_EQ(request.Body, Form({{"timestampedsongtext", "[00:01.00]\r\n"
                                                          "[00:02.50]Woo hoo\r\n"
                                                          "[01:03.07]When I feel heavy metal\r\n"
                                                          "[01:04.00]\r\n"
                                                          "[01:05.00]-----------\r\n"
                                                          "[01:06.00]Downloaded from www.example.org\r\n"},
                                  {"timestampedsonglength", "245"},
                                  {"cnl", "1"},
                                  {"artistname", "Blur"},
                                  {"songname", "Song 2"},
                                  {"songtext", "Woo hoo\r\nWhen I feel heavy metal\r\n"},
                                  {"userNickname", "alice"},
                                  {"userPassword", "5ebe2294ecd0e0f08eab7690d2a6ee69"},
                                  {"option", "submit"}}));
    EXPECT_EQ(W.Submission.Status(), "Lyric successfully added (timestamped)\r\n<br>thanks\r\n");
    EXPECT_EQ(W.Upload.Items(), std::vector<std::string>{"blur - song 2 [250]"});
    EXPECT_EQ(W.Host.Updates, 1);

    // The database now holds it: a second submission would be a correction.
    EXPECT_TRUE(W.Submission.IsSongKnown("Blur", "Song 2", 245, 0));
    EXPECT_FALSE(W.Submission.IsNewSubmission());
}

TEST_F(SubmitLyric, Corrections) {
    struct {
        const char* text;
        const char* reason;
        const char* uploaded;
        std::vector<std::pair<std::string, std::string>> form;
    } cases[] = {
        {"\r\n  \r\nFirst line\r\n\r\nSecond line\r\n\r\n",
         "  ",
         "blur - song 2",
         {{"correctsong", "1"},
          {"correctreason", "Submitted for correction"},
          {"songtype", "0"},
          {"cnl", "1"},
          {"artistname", "Blur"},
          {"songname", "Song 2"},
          {"songtext", "First line\r\n\r\nSecond line\r\n"},
          {"userNickname", "alice"},
          {"userPassword", "5ebe2294ecd0e0f08eab7690d2a6ee69"}}},
        {"[00:01.00]One\r\n[03:02.10]Two",
         "line 2 should be xx",
         "blur - song 2 [250]",
         {{"timestampedsongtext", "[00:01.00]One\r\n[03:02.10]Two\r\n"},
          {"timestampedsonglength", "245"},
          {"correctsong", "1"},
          {"correctreason", "line 2 should be xx"},
          {"songtype", "1"},
          {"cnl", "1"},
          {"artistname", "Blur"},
          {"songname", "Song 2"},
          {"songtext", "One\r\nTwo\r\n"},
          {"userNickname", "alice"},
          {"userPassword", "5ebe2294ecd0e0f08eab7690d2a6ee69"}}},
    };
    std::size_t sent = 0;
    for (auto& c : cases) {
        W.Upload.Clear();
        W.Upload.Add(c.uploaded);
        W.Load("Blur - Song 2", c.text);
        ASSERT_FALSE(W.Submission.IsNewSubmission()) << c.text;
        ASSERT_TRUE(W.Submission.SubmitLyric(c.reason));
        ASSERT_EQ(Server.Records().size(), ++sent);
        c.form.emplace_back("option", "submit");
        EXPECT_EQ(Server.Records().back().Body, Form(c.form)) << c.text;
    }
}

TEST_F(SubmitLyric, RepliesFillTheUploadList) {
    struct {
        const char* song;
        bool timed;
        const char* reply;
        const char* entry; // empty: nothing added
    } cases[] = {
        {"Blur - Song 2", false, "Lyric successfully added", "blur - song 2"},
        {"Blur - Song 2", false, "LYRIC SUCCESSFULLY ADDED\r\nmore", "blur - song 2"},
        {"Blur - Song 2", false, "Lyric successfully added ", ""},
        {"Blur - Song 2", false, " Lyric successfully added", ""},
        {"Blur - Song 2", false, "Song Allready Added", "blur - song 2"},
        {"Blur - Song 2", true, "Lyric successfully added (timestamped)", "blur - song 2 [250]"},
        {"Blur - Song 2", true, "timestamped song allready added", "blur - song 2 [250]"},
        {"Blur - Song 2", false, "Timestamped song allready added", "blur - song 2 [0]"},
        {"Blur - Song 2", true, "Lyric successfully added", "blur - song 2"},
        {"BJ\xd6RK  - J\xd3GA ", false, "Lyric successfully added", "bj\xf6rk  - j\xf3ga "},
        {"Blur - Song 2", false, "Error: wrong password", ""},
    };
    for (const auto& c : cases) {
        W.Upload.Clear();
        W.Load(c.song, c.timed ? "[00:01]One\n[00:02]Two" : "One\nTwo");
        SetReply(c.reply);
        ASSERT_TRUE(W.Submission.SubmitLyric(""));
        const std::vector<std::string> expected =
            *c.entry ? std::vector<std::string>{c.entry} : std::vector<std::string>{};
        EXPECT_EQ(W.Upload.Items(), expected) << c.reply;
    }
    EXPECT_EQ(W.Host.Updates, int(std::size(cases)));
}

TEST_F(SubmitLyric, FailuresShowInTheStatus) {
    W.Load("Blur - Song 2", "One\nTwo");

    SetReply("");
    ASSERT_TRUE(W.Submission.SubmitLyric(""));
    EXPECT_EQ(W.Submission.Status(), "Error connecting to database");

    SetReply("\r\n  \r\n");
    ASSERT_TRUE(W.Submission.SubmitLyric(""));
    EXPECT_EQ(W.Submission.Status(), "Error connecting to database");

    SetReply("(silent)");
    W.Submission.IEHTTPUploadLyric.SetTimeout(1);
    ASSERT_TRUE(W.Submission.SubmitLyric(""));
    EXPECT_EQ(W.Submission.Status(), "[error 100: tiehttp timeout expired]\r\n");
    EXPECT_TRUE(W.Upload.Items().empty());

    // A reply that cannot be unpacked is raised to the dialog; the next submission works.
    SetReply(std::string("\x1f\x8b\x08\0\0\0\0\0garbage", 15));
    W.Submission.IEHTTPUploadLyric.SetTimeout(90);
    EXPECT_THROW(W.Submission.SubmitLyric(""), TIEHTTPError);
    SetReply("Lyric successfully added");
    ASSERT_TRUE(W.Submission.SubmitLyric(""));
    const std::string body = Server.Records().back().Body;
    EXPECT_EQ(body.find("name=\"cnl\""), body.rfind("name=\"cnl\"")); // the failed request's parts are gone
    EXPECT_EQ(W.Upload.Items(), std::vector<std::string>{"blur - song 2"});
}

TEST_F(SubmitLyric, NothingIsSentWhileTheEditorIsOpenOrWithoutLyrics) {
    W.Load("Blur - Song 2", "One\nTwo");
    W.Host.Editor = true;
    EXPECT_FALSE(W.Submission.SubmitLyric(""));
    W.Host.Editor = false;
    W.Document.Found = false;
    EXPECT_FALSE(W.Submission.SubmitLyric(""));
    EXPECT_TRUE(Server.Records().empty());
    EXPECT_EQ(W.Host.Updates, 0);
}

} // namespace
