// The submission dialog as the user drives it, against a local server that plays both the account's lyric
// database and LRCLIB: the form for new entries and corrections, the replies, the failures, publishing to
// LRCLIB with its proof of work (checked by the server), and cancelling that work.

#include "database/ui/UUploadLyric.h"

#include "database/tests/TestHttpServer.h"
#include "database/tests/UploadWorld.h"
#include "platform/Hash.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace database;
using database::test::Form;
using database::test::kDelimiter;
using database::test::TTestHttpServer;
using database::test::TUploadWorld;

namespace {

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "upload_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class TQtMessages : public IProcessMessages {
public:
    void ProcessMessages() override { QApplication::processEvents(); }
};

const char* const kTimedLyrics = "[ar:Blur]\r\n"
                                 "[al:Blur]\r\n"
                                 "[00:01.00]\r\n"
                                 "[00:02.50]Woo hoo\r\n"
                                 "[01:03.07]When I feel heavy metal\r\n"
                                 "[01:04.00]\r\n"
                                 "[01:05.00]-----------\r\n"
                                 "[01:06.00]Downloaded from www.example.org\r\n";

// A target that about 16 nonces meet, and one that needs about 2^34 (minutes of work).
const char* const kEasyTarget = "0FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF";
const char* const kHardTarget = "0000000040000000000000000000000000000000000000000000000000000000";

// What the fake servers answer: a status and a body, or a special way of failing.
struct TAnswer {
    int Status = 200;
    std::string Body;
    std::string Kind; // "", "silent", "cut" (connection closed in the middle)
};

class UploadDialog : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            unsetenv(name);
        Server.Post("/index.php",
                    [this](const httplib::Request&, httplib::Response& res) { Answer(Database, res); });
        Server.Post("/api/request-challenge",
                    [this](const httplib::Request&, httplib::Response& res) { Answer(Challenge, res); });
        Server.Post("/api/publish", [this](const httplib::Request& req, httplib::Response& res) {
            std::string token = req.get_header_value("X-Publish-Token");
            {
                std::lock_guard<std::mutex> lock(Mutex);
                Tokens.push_back(token);
                Published.push_back(req.body);
            }
            // The server checks the proof: the prefix it gave and a nonce that meets the target.
            const std::size_t colon = token.find(':');
            const std::string prefix = token.substr(0, colon);
            const std::string text = prefix + (colon == std::string::npos ? "" : token.substr(colon + 1));
            TPowTarget target{};
            ParsePowTarget(kEasyTarget, target);
            if (prefix != "chal1" ||
                !MeetsPowTarget(platform::HashBytes(platform::THashKind::Sha256, text.data(), text.size()),
                                target)) {
                res.status = 400;
                res.set_content(
                    R"({"code":400,"name":"IncorrectPublishToken","message":"The provided publish token is incorrect"})",
                    "application/json");
                return;
            }
            Answer(Publish, res);
        });
        Server.Start();
        const std::string address = "http://127.0.0.1:" + std::to_string(Server.Port());
        W.Settings.SetVersevaultUrl(address);
        W.Settings.SetLrclibUrl(address + "/");
        W.WriteIndex("--\r\n");
        Challenge.Body = std::string(R"({"prefix":"chal1","target":")") + kEasyTarget + "\"}";
        Publish.Status = 201;
        Dialog = std::make_unique<ui::TUploadLyric>(W.Submission, W.Settings, W.Host, nullptr);
        Dialog->ShowError = [this](const std::string& message) { Errors.push_back(message); };
    }
    void TearDown() override {
        Dialog.reset();
        Server.Release();
    }

    void Answer(const TAnswer& answer, httplib::Response& res) {
        TAnswer a;
        {
            std::lock_guard<std::mutex> lock(Mutex);
            a = answer;
        }
        if (a.Kind == "silent") {
            Server.HoldUntilReleased(std::chrono::seconds(20));
            return;
        }
        res.status = a.Status;
        if (a.Kind == "cut") {
            const std::string part = a.Body;
            res.set_content_provider(part.size() + 1000, "text/html",
                                     [part](std::size_t, std::size_t, httplib::DataSink& sink) {
                                         sink.write(part.data(), part.size());
                                         return false; // the connection closes here
                                     });
            return;
        }
        res.set_content(a.Body, a.Body.rfind("{", 0) == 0 ? "application/json" : "text/html");
    }
    void SetAnswer(TAnswer& which, TAnswer answer) {
        std::lock_guard<std::mutex> lock(Mutex);
        which = std::move(answer);
    }

    // Opens the dialog as the main window does (shown, not waited for) and chooses the destination.
    void Open(int destination = 0) {
        ASSERT_TRUE(Dialog->PrepareForShow());
        Dialog->show();
        Dialog->ComboPublishTo->setCurrentIndex(destination);
    }
    std::string Status() const { return Dialog->Memo1->toPlainText().toStdString(); }
    std::size_t Requests(const std::string& path) {
        std::size_t n = 0;
        for (const auto& r : Server.Records())
            n += r.Path == path;
        return n;
    }
    void ExpectIdle(const char* what) {
        EXPECT_TRUE(Dialog->ButtonOk->isEnabled()) << what;
        EXPECT_TRUE(Dialog->ButtonCancel->isEnabled()) << what;
        EXPECT_EQ(Dialog->ButtonOk->text().toStdString(), "&Ok") << what;
        EXPECT_FALSE(Dialog->Busy()) << what;
    }

    TQtMessages Messages;
    TUploadWorld W{&Messages};
    std::mutex Mutex;
    TAnswer Database{200, "Lyric successfully added", ""};
    TAnswer Challenge;
    TAnswer Publish;
    std::vector<std::string> Tokens;
    std::vector<std::string> Published;
    TTestHttpServer Server;
    std::unique_ptr<ui::TUploadLyric> Dialog;
    std::vector<std::string> Errors;
};

TEST_F(UploadDialog, NewTimestampedSubmission) {
    W.Load("Blur - Song 2", kTimedLyrics);
    W.Host.Length = 245900;
    SetAnswer(Database, {200, "Lyric successfully added (timestamped)\r\n<br>thanks", ""});
    Open();
    EXPECT_EQ(Dialog->windowTitle().toStdString(), "Submit Lyrics");
    EXPECT_EQ(Dialog->size(), QSize(360, 172));
    EXPECT_FALSE(Dialog->EditCorrectionReason->isVisible());
    EXPECT_EQ(Dialog->ButtonOk->text().toStdString(), "&Submit");

    Dialog->ButtonOk->click();
    ASSERT_EQ(Server.Records().size(), 1u);
    const auto request = Server.Records()[0];
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
    EXPECT_EQ(Status(), "Lyric successfully added (timestamped)\n<br>thanks\n");
    EXPECT_EQ(W.Upload.Items(), std::vector<std::string>{"blur - song 2 [250]"});
    EXPECT_EQ(W.Host.Updates, 1);
    ExpectIdle("accepted");
    EXPECT_EQ(Requests("/api/publish"), 0u);

    // "&Ok" closes; the next opening starts over, now as a correction.
    Dialog->ButtonOk->click();
    EXPECT_FALSE(Dialog->isVisible());
    Open();
    EXPECT_EQ(Dialog->ButtonOk->text().toStdString(), "&Submit");
    EXPECT_TRUE(Status().empty());
    EXPECT_EQ(Dialog->size(), QSize(360, 213));
}

TEST_F(UploadDialog, CorrectionNeedsAReason) {
    W.Upload.Add("blur - song 2");
    W.Load("Blur - Song 2", "First line\r\nSecond line\r\n");
    Open();
    EXPECT_EQ(Dialog->size(), QSize(360, 213));
    EXPECT_TRUE(Dialog->EditCorrectionReason->isVisible());
    EXPECT_TRUE(Dialog->LabelReason1->font().bold());
    EXPECT_EQ(Dialog->LabelReason2->text().toStdString(), "eg: \"line 2 should be xx\"");

    QTest::keyClicks(Dialog->EditCorrectionReason, "   ");
    Dialog->ButtonOk->click();
    EXPECT_EQ(Errors, std::vector<std::string>{kNoReasonMessage});
    EXPECT_TRUE(Server.Records().empty());
    EXPECT_EQ(Dialog->ButtonOk->text().toStdString(), "&Submit");

    Dialog->EditCorrectionReason->setText("line 2 should be xx");
    Dialog->ButtonOk->click();
    ASSERT_EQ(Server.Records().size(), 1u);
    EXPECT_EQ(Server.Records()[0].Body, Form({{"correctsong", "1"},
                                              {"correctreason", "line 2 should be xx"},
                                              {"songtype", "0"},
                                              {"cnl", "1"},
                                              {"artistname", "Blur"},
                                              {"songname", "Song 2"},
                                              {"songtext", "First line\r\nSecond line\r\n"},
                                              {"userNickname", "alice"},
                                              {"userPassword", "5ebe2294ecd0e0f08eab7690d2a6ee69"},
                                              {"option", "submit"}}));
    ExpectIdle("correction");

    // The reason box is emptied at the next opening; LRCLIB alone needs no reason.
    Dialog->ButtonOk->click();
    Open(1);
    EXPECT_TRUE(Dialog->EditCorrectionReason->text().isEmpty());
    Dialog->ButtonOk->click();
    EXPECT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Requests("/api/publish"), 1u);
}

TEST_F(UploadDialog, FailuresEndWithAClearStatus) {
    struct {
        const char* name;
        TAnswer answer;
        std::string status; // the status box, or its first line for "startsWith"
        bool startsWith;
    } cases[] = {
        {"silent server", {200, "", "silent"}, "[error 100: tiehttp timeout expired]\n", false},
        {"empty 500", {500, "", ""}, "Error connecting to database", false},
        {"500 with a text", {500, "Internal error", ""}, "Internal error\n", false},
        {"closed mid-reply",
         {200, "Lyric successfully added\r\n", "cut"},
         "Lyric successfully added\n[the reply",
         true},
        {"many megabytes",
         {200, "Lyric successfully added\r\n" + std::string(3 * 1024 * 1024, 'x'), ""},
         "Lyric successfully added\n",
         true},
    };
    W.Load("Blur - Song 2", "One\nTwo");
    W.Submission.IEHTTPUploadLyric.SetTimeout(1);
    for (const auto& c : cases) {
        SetAnswer(Database, c.answer);
        Open();
        // Esc while the request runs leaves the dialog open.
        if (c.answer.Kind == "silent")
            QTimer::singleShot(100, Dialog.get(), [this] { QTest::keyClick(Dialog.get(), Qt::Key_Escape); });
        Dialog->ButtonOk->click();
        QApplication::processEvents();
        EXPECT_TRUE(Dialog->isVisible()) << c.name;
        if (c.startsWith)
            EXPECT_EQ(Status().substr(0, c.status.size()), c.status) << c.name;
        else
            EXPECT_EQ(Status(), c.status) << c.name;
        EXPECT_TRUE(W.Upload.Items().empty()) << c.name;
        EXPECT_EQ(W.Document.Lines.size(), 2u) << c.name;
        ExpectIdle(c.name);
        Dialog->ButtonOk->click();
    }
    EXPECT_LT(Status().size(), 1100u * 1024u); // the large reply is not kept whole
}

TEST_F(UploadDialog, PublishesToLrclibWithItsProofOfWork) {
    W.Load("Blur - Song 2", kTimedLyrics);
    W.Host.Length = 245600;
    Open(1);
    Dialog->ButtonOk->click();
    EXPECT_EQ(Status(), "LRCLIB: lyrics published\n");
    EXPECT_EQ(W.Settings.PublishTo(), "Lrclib"); // remembered
    EXPECT_EQ(Requests("/index.php"), 0u);
    ASSERT_EQ(Requests("/api/request-challenge"), 1u);
    ASSERT_EQ(Published.size(), 1u);
    EXPECT_EQ(Tokens[0].rfind("chal1:", 0), 0u);
    EXPECT_EQ(nlohmann::json::parse(Published[0]),
              nlohmann::json(
                  {{"trackName", "Song 2"},
                   {"artistName", "Blur"},
                   {"albumName", "Blur"},
                   {"duration", 246},
                   {"plainLyrics", "Woo hoo\nWhen I feel heavy metal"},
                   {"syncedLyrics", "[00:01.00]\n[00:02.50]Woo hoo\n[01:03.07]When I feel heavy metal"}}));
    for (const auto& r : Server.Records())
        EXPECT_EQ(r.UserAgent.rfind("Cantrel/2.4 (http://www.cantrel.org)", 0), 0u) << r.Path;
    EXPECT_TRUE(W.Upload.Items().empty());
    ExpectIdle("published");

    // Both: the account's database first, then LRCLIB; plain lyrics go without synced ones.
    Dialog->ButtonOk->click();
    W.Load("Blur - Song 2", "One\nTwo");
    Open(2);
    Dialog->ButtonOk->click();
    EXPECT_EQ(Status(), "Lyric successfully added\nLRCLIB: lyrics published\n");
    EXPECT_EQ(W.Settings.PublishTo(), "Both");
    ASSERT_EQ(Published.size(), 2u);
    EXPECT_EQ(nlohmann::json::parse(Published[1])["syncedLyrics"], "");
    EXPECT_EQ(W.Upload.Items(), std::vector<std::string>{"blur - song 2"});
}

TEST_F(UploadDialog, LrclibFailuresEndWithAClearStatus) {
    struct {
        const char* name;
        TAnswer challenge;
        TAnswer publish;
        std::string status;
    } cases[] = {
        {"challenge refused",
         {503, R"({"code":503,"message":"Server busy"})", ""},
         {201, "", ""},
         "LRCLIB: error 503: Server busy\n"},
        {"challenge not JSON",
         {200, "<html>", ""},
         {201, "", ""},
         "LRCLIB: the challenge could not be read, nothing was published\n"},
        {"malformed target",
         {200, R"({"prefix":"chal1","target":"xyz"})", ""},
         {201, "", ""},
         "LRCLIB: the challenge could not be read, nothing was published\n"},
        {"prefix for no header",
         {200, "{\"prefix\":\"a\\r\\nX: 1\",\"target\":\"ff\"}", ""},
         {201, "", ""},
         "LRCLIB: the challenge could not be read, nothing was published\n"},
        {"impossible target",
         {200, R"({"prefix":"chal1","target":"0"})", ""},
         {201, "", ""},
         "LRCLIB: the challenge's target is too small to reach, nothing was published\n"},
        {"huge challenge",
         {200, R"({"prefix":")" + std::string(3 * 1024 * 1024, 'a') + "\"}", ""},
         {201, "", ""},
         "LRCLIB: the challenge could not be read, nothing was published\n"},
        {"silent challenge",
         {200, "", "silent"},
         {201, "", ""},
         "LRCLIB: no reply in time, nothing was published\n"},
        {"publish refused",
         {},
         {400, R"({"code":400,"name":"ValidationError","message":"Bad duration"})", ""},
         "LRCLIB: error 400: Bad duration\n"},
        {"publish 500 without a body", {}, {500, "", ""}, "LRCLIB: error 500\n"},
    };
    W.Load("Blur - Song 2", "One\nTwo");
    W.Submission.Lrclib.Http.SetTimeout(1);
    const std::string good = std::string(R"({"prefix":"chal1","target":")") + kEasyTarget + "\"}";
    for (const auto& c : cases) {
        TAnswer challenge = c.challenge;
        if (challenge.Body.empty() && challenge.Kind.empty())
            challenge = {200, good, ""};
        SetAnswer(Challenge, challenge);
        SetAnswer(Publish, c.publish);
        const std::size_t published = Published.size();
        Open(1);
        Dialog->ButtonOk->click();
        EXPECT_EQ(Status(), c.status) << c.name;
        if (c.publish.Status == 201) {
            EXPECT_EQ(Published.size(), published) << c.name;
        }
        ExpectIdle(c.name);
        Dialog->ButtonOk->click();
    }

    // Without the song's length nothing is asked.
    const std::size_t asked = Server.Records().size();
    W.Host.Length = 0;
    Open(1);
    Dialog->ButtonOk->click();
    EXPECT_EQ(Status(), "LRCLIB: needs an artist, a title and the song's length; nothing was published\n");
    EXPECT_EQ(Server.Records().size(), asked);
}

TEST_F(UploadDialog, ProofOfWorkCanBeCancelledAndRunsOutOfTime) {
    W.Load("Blur - Song 2", "One\nTwo");
    SetAnswer(Challenge, {200, std::string(R"({"prefix":"chal1","target":")") + kHardTarget + "\"}", ""});
    Open(1);
    // "&Cancel" once the work shows its progress.
    QTimer watcher;
    bool sawProgress = false;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (Status().find("proof of work,") != std::string::npos && Dialog->ButtonCancel->isEnabled()) {
            sawProgress = true;
            EXPECT_FALSE(Dialog->ButtonOk->isEnabled());
            Dialog->ButtonCancel->click();
            watcher.stop();
        }
    });
    watcher.start(20);
    Dialog->ButtonOk->click();
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(Status(), "LRCLIB: cancelled, nothing was published\n");
    EXPECT_TRUE(Published.empty());
    EXPECT_TRUE(Dialog->isVisible()); // cancelling the work does not close the dialog
    ExpectIdle("cancelled");

    Dialog->ButtonOk->click();
    W.Submission.Lrclib.ProofSeconds = 1;
    Open(1);
    Dialog->ButtonOk->click();
    EXPECT_EQ(Status(), "LRCLIB: gave up the proof of work after 1 seconds, nothing was published\n");
    EXPECT_TRUE(Published.empty());
    ExpectIdle("out of time");
}

TEST_F(UploadDialog, ClosingForTheProgramEndsARunningRequest) {
    W.Load("Blur - Song 2", "One\nTwo");
    SetAnswer(Database, {200, "", "silent"});
    Open(2);
    QTimer::singleShot(200, Dialog.get(), [this] { Dialog->AbortForClose(); });
    Dialog->ButtonOk->click();
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Status(), "Cancelled");
    EXPECT_EQ(W.Host.Updates, 0);
    EXPECT_EQ(Requests("/api/request-challenge"), 0u);
    EXPECT_TRUE(W.Upload.Items().empty());
}

} // namespace
