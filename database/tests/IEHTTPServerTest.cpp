// The request component against a real HTTP server on the loopback interface.

#include "database/IEHTTP3.h"
#include "database/tests/TestHttpServer.h"
#include "toolkit/CodePage.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <zlib.h>

#include <cstdlib>
#include <thread>

using namespace database;
using database::test::TTestHttpServer;

namespace {

const std::string kDelimiter = "-------------------------------7cf87224d2020a";

std::string Part(const std::string& name, const std::string& value) {
    return kDelimiter + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string Compressed(const std::string& text) {
    uLongf size = compressBound(uLong(text.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
             uLong(text.size()));
    out.resize(size);
    return std::string("\x1f\x8b\x08\0\0\0\0\0", 8) + out;
}

class IEHTTPServer : public ::testing::Test {
protected:
    void SetUp() override {
        // Loopback only: no proxy from the environment in the way.
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            unsetenv(name);
    }
    TTestHttpServer Server;
};

TEST_F(IEHTTPServer, MultipartPostSendsTheBodyByteForByte) {
    Server.Post("/index.php", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("Lyric successfully added\r\n", "text/html");
    });
    Server.Start();
    toolkit::SetActiveCodePage(1252);

    TIEHTTP http;
    http.SetMultipartPOST(true);
    EXPECT_EQ(http.RequestMethod(), "POST");
    http.AddMultipartVar("artistname", u"Bj\u00f6rk");
    http.AddMultipartVar("songname", std::string("Joga"));
    http.AddMultipartVar("artistname", std::string("Bjork")); // replaces the first value in its place
    http.AddMultipartVar("songtext", std::string("line one\r\nline two"));
    http.ExecuteURL(Server.Address("/index.php?option=submit"));

    ASSERT_EQ(Server.Records().size(), 1u);
    const auto request = Server.Records()[0];
    EXPECT_EQ(request.Method, "POST");
    EXPECT_EQ(request.Path, "/index.php");
    EXPECT_EQ(request.Version, "HTTP/1.0");
    EXPECT_EQ(request.UserAgent, "tiehttp");
    EXPECT_EQ(request.ContentType,
              "multipart/form-data; boundary=-----------------------------7cf87224d2020a");
    EXPECT_EQ(request.Body, Part("artistname", "Bjork") + Part("songname", "Joga") +
                                Part("songtext", "line one\r\nline two") + Part("option", "submit") +
                                kDelimiter + "--\r\n");
    EXPECT_EQ(http.ResponseLines(), std::vector<std::string>{"Lyric successfully added"});

    // The variables went with that request; the next one sends only its own.
    http.AddMultipartVar("name", u"Bj\u00f6rk");
    http.Execute();
    ASSERT_EQ(Server.Records().size(), 2u);
    EXPECT_EQ(Server.Records()[1].Body,
              Part("name", "Bj\xf6rk") + Part("option", "submit") + kDelimiter + "--\r\n");
}

TEST_F(IEHTTPServer, QueryOfAMultipartPostComesAfterTheCallersVariables) {
    Server.Post("/index.php",
                [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
    Server.Start();

    TIEHTTP http;
    http.SetMultipartPOST(true);
    http.AddMultipartVar("artistname", std::string("A"));
    http.AddMultipartVar("songname", std::string("B"));
    http.ExecuteURL(Server.Address("/index.php?option=submit"));

    ASSERT_EQ(Server.Records().size(), 1u);
    const std::string body = Server.Records()[0].Body;
    const auto artist = body.find("name=\"artistname\"");
    const auto song = body.find("name=\"songname\"");
    const auto option = body.find("name=\"option\"");
    ASSERT_NE(option, std::string::npos);
    EXPECT_LT(artist, song);
    EXPECT_LT(song, option);
}

TEST_F(IEHTTPServer, GetAndUrlEncodedPost) {
    Server.Get("/find", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("found", "text/plain");
    });
    Server.Post("/form", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("posted", "text/plain");
    });
    Server.Start();

    TIEHTTP http;
    // No scheme: "http://" is put in front. A "+" of the query reaches the server as a plus sign.
    http.ExecuteURL("127.0.0.1:" + std::to_string(Server.Port()) + "/find?term=a+b%20c&x=1");
    EXPECT_EQ(http.URL(), "http://127.0.0.1:" + std::to_string(Server.Port()) + "/find?term=a+b%20c&x=1");
    EXPECT_EQ(http.ResponseLines(), std::vector<std::string>{"found"});

    http.SetRequestMethod("post");
    EXPECT_EQ(http.RequestMethod(), "POST");
    http.ExecuteURL(Server.Address("/form?a=1&b=two"));
    EXPECT_EQ(http.ResponseLines(), std::vector<std::string>{"posted"});

    const auto records = Server.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Method, "GET");
    EXPECT_EQ(records[0].Path, "/find");
    EXPECT_EQ(records[0].Params.find("term")->second, "a+b c");
    EXPECT_EQ(records[0].Body, "");
    EXPECT_EQ(records[1].Method, "POST");
    EXPECT_EQ(records[1].Path, "/form");
    EXPECT_EQ(records[1].ContentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(records[1].Body, "a=1&b=two");
}

TEST_F(IEHTTPServer, SilentServerGivesTheTimeoutLine) {
    Server.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
        Server.HoldUntilReleased(std::chrono::seconds(20));
        res.set_content("too late", "text/plain");
    });
    Server.Start();

    TIEHTTP http;
    http.SetTimeout(1);
    http.ExecuteURL(Server.Address("/silent"));
    EXPECT_EQ(http.ResponseLines(), std::vector<std::string>{"[error 100: tiehttp timeout expired]"});
}

TEST_F(IEHTTPServer, TricklingServerIsNeverCutOff) {
    // Six pieces 400 ms apart: longer than the time-out in all, but never silent for as long as it.
    Server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(6 * 6, "text/plain", [](size_t offset, size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            const std::string piece = "line" + std::to_string(offset / 6) + "\n";
            sink.write(piece.data(), piece.size());
            return true;
        });
    });
    Server.Start();

    TIEHTTP http;
    http.SetTimeout(1);
    http.ExecuteURL(Server.Address("/slow"));
    EXPECT_EQ(http.ResponseLines(),
              (std::vector<std::string>{"line0", "line1", "line2", "line3", "line4", "line5"}));
}

TEST_F(IEHTTPServer, CompressedRepliesAndLineEnds) {
    std::string hostile = Compressed(std::string(17u * 1024u * 1024u, 'a'));
    Server.Get("/packed", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(Compressed("first\r\nsecond\nthird"), "application/octet-stream");
    });
    Server.Get("/bomb", [hostile](const httplib::Request&, httplib::Response& res) {
        res.set_content(hostile, "application/octet-stream");
    });
    Server.Get("/mixed", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string("a\r\nb\nc\rd\r\n\r\ne\0hidden\r\n", 23), "text/plain");
    });
    Server.Start();
    EXPECT_LT(hostile.size(), 100u * 1024u); // small on the wire, huge when inflated

    TIEHTTP http;
    http.ExecuteURL(Server.Address("/packed"));
    EXPECT_EQ(http.ResponseLines(), (std::vector<std::string>{"first", "second", "third"}));

    try {
        http.ExecuteURL(Server.Address("/bomb"));
        FAIL() << "no error";
    } catch (const TIEHTTPError& e) {
        EXPECT_STREQ(e.what(), "Error");
    }
    EXPECT_TRUE(http.ResponseLines().empty());

    http.ExecuteURL(Server.Address("/mixed"));
    EXPECT_EQ(http.ResponseLines(), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
}

TEST_F(IEHTTPServer, OversizedReplyIsCutAtTheLimit) {
    Server.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(kMaxReplyBytes + 4096, 'x'), "text/plain");
    });
    Server.Start();

    TIEHTTP http;
    http.ExecuteURL(Server.Address("/huge"));
    ASSERT_EQ(http.ResponseLines().size(), 1u);
    EXPECT_EQ(http.ResponseLines()[0].size(), kMaxReplyBytes);
    EXPECT_FALSE(http.LastWorkerError().empty());
}

// With BlockingMode off the waiting thread runs the message hook; a second request or a change of
// parameters from inside it is refused, and the first request goes on.
class TReentrantHook : public IProcessMessages {
public:
    TIEHTTP* Http = nullptr;
    int Calls = 0;
    std::vector<std::string> Errors;
    void ProcessMessages() override {
        ++Calls;
        if (Calls > 1)
            return;
        try {
            Http->Execute();
        } catch (const TIEHTTPError& e) {
            Errors.push_back(e.what());
        }
        try {
            Http->SetRequestMethod("GET");
        } catch (const TIEHTTPError& e) {
            Errors.push_back(e.what());
        }
        try {
            Http->SetMultipartPOST(false);
        } catch (const TIEHTTPError& e) {
            Errors.push_back(e.what());
        }
    }
};

TEST_F(IEHTTPServer, MessageHookRunsWhileWaitingAndCannotReenter) {
    Server.Post("/index.php", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        res.set_content("done", "text/plain");
    });
    Server.Start();

    TReentrantHook hook;
    TIEHTTP http(&hook);
    hook.Http = &http;
    http.SetBlockingMode(false);
    http.SetMultipartPOST(true);
    http.AddMultipartVar("a", std::string("1"));
    http.ExecuteURL(Server.Address("/index.php?option=submit"));

    EXPECT_GE(hook.Calls, 2);
    EXPECT_EQ(hook.Errors, (std::vector<std::string>{"Cannot reuse TIE, while processing request",
                                                     "Cannot change parameters while processing request",
                                                     "Cannot change parameters while processing request"}));
    EXPECT_EQ(http.ResponseLines(), std::vector<std::string>{"done"});
    EXPECT_EQ(http.RequestMethod(), "POST");
    ASSERT_EQ(Server.Records().size(), 1u);
    EXPECT_EQ(Server.Records()[0].Body, Part("a", "1") + Part("option", "submit") + kDelimiter + "--\r\n");

    // Blocking mode never calls the hook.
    hook.Calls = 0;
    http.SetBlockingMode(true);
    http.AddMultipartVar("a", std::string("1"));
    http.Execute();
    EXPECT_EQ(hook.Calls, 0);
}

TEST_F(IEHTTPServer, ClosedPortGivesAnEmptyReply) {
    int port = 0;
    {
        TTestHttpServer gone;
        gone.Start();
        port = gone.Port();
    }
    TIEHTTP http;
    http.ExecuteURL("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_TRUE(http.ResponseLines().empty());
    EXPECT_EQ(http.LastWorkerError(), "Could not connect to server 127.0.0.1");
}

// The search agent's use: the reply's status, body and type, its own User-Agent, escapes kept as built, a
// limit on the whole request, a smaller size cap, and a cancel from another thread that ends a request at
// once.
TEST_F(IEHTTPServer, StatusBodyUserAgentAndKeptEscapes) {
    Server.Get("/api/get", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("{\"code\":404}\n{}", "application/json");
    });
    Server.Start();

    TIEHTTP http;
    http.SetUserAgent("CantrelAgent/2.4 (http://www.cantrel.org)");
    http.SetKeepEscapes(true);
    http.ExecuteURL(Server.Address("/api/get?artist_name=Simon%20%26%20Garfunkel&track_name=1%2B1%3D2"));
    EXPECT_EQ(http.StatusCode(), 404);
    EXPECT_EQ(http.ResponseBody(), "{\"code\":404}\n{}");
    EXPECT_EQ(http.ResponseContentType(), "application/json");
    EXPECT_FALSE(http.TimedOut());
    const auto records = Server.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].UserAgent, "CantrelAgent/2.4 (http://www.cantrel.org)");
    // One value each: the escaped "&", "+" and "=" stayed escaped on the way.
    EXPECT_EQ(records[0].Params.size(), 2u);
    EXPECT_EQ(records[0].Params.find("artist_name")->second, "Simon & Garfunkel");
    EXPECT_EQ(records[0].Params.find("track_name")->second, "1+1=2");
}

TEST_F(IEHTTPServer, TotalLimitEndsATricklingReply) {
    Server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(20 * 6, "text/plain", [](size_t offset, size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const std::string piece = "line" + std::to_string(offset / 6 % 10) + "\n";
            return sink.write(piece.data(), piece.size());
        });
    });
    Server.Start();

    TIEHTTP http;
    http.SetTimeout(1);
    http.SetTotalTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    http.ExecuteURL(Server.Address("/slow"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_FALSE(http.LastWorkerError().empty());
}

TEST_F(IEHTTPServer, SmallerSizeCap) {
    Server.Get("/page", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(100000, 'x'), "text/html");
    });
    Server.Start();

    TIEHTTP http;
    http.SetMaxReplyBytes(1000);
    http.ExecuteURL(Server.Address("/page"));
    EXPECT_EQ(http.ResponseBody().size(), 1000u);
    EXPECT_EQ(http.StatusCode(), 200);
    EXPECT_FALSE(http.LastWorkerError().empty());
}

TEST_F(IEHTTPServer, CancelFromAnotherThreadEndsTheRequestAtOnce) {
    Server.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
        Server.HoldUntilReleased(std::chrono::seconds(20));
        res.set_content("too late", "text/plain");
    });
    Server.Get("/quick", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("quick", "text/plain");
    });
    Server.Start();

    TIEHTTP http;
    http.SetTimeout(30);
    std::thread canceller([&http] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        http.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    http.ExecuteURL(Server.Address("/silent"));
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_LT(took, std::chrono::milliseconds(1500));
    EXPECT_TRUE(http.Cancelled());
    EXPECT_TRUE(http.ResponseLines().empty());
    EXPECT_EQ(http.StatusCode(), 0);

    // Cancelled stays cancelled until reset: the next request does not go out.
    http.ExecuteURL(Server.Address("/quick"));
    EXPECT_TRUE(http.ResponseLines().empty());
    http.ResetCancel();
    http.ExecuteURL(Server.Address("/quick"));
    EXPECT_EQ(http.ResponseLines(), std::vector<std::string>{"quick"});
    Server.Release();
}

// A certificate nobody vouches for (self-signed, made here) ends the request like a failed connection.
TEST(IEHTTPCertificate, UntrustedCertificateIsRefused) {
    EVP_PKEY* key = EVP_RSA_gen(2048);
    ASSERT_NE(key, nullptr);
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(cert, name);
    ASSERT_GT(X509_sign(cert, key, EVP_sha256()), 0);

    bool served = false;
    {
        TTestHttpServer server(std::make_unique<httplib::SSLServer>(cert, key));
        server.Get("/secret", [&served](const httplib::Request&, httplib::Response& res) {
            served = true;
            res.set_content("account data", "text/plain");
        });
        server.Start();

        TIEHTTP http;
        http.SetTimeout(5);
        http.ExecuteURL(server.Address("/secret", "https"));
        EXPECT_TRUE(http.ResponseLines().empty());
        EXPECT_NE(http.LastWorkerError().find("certificate"), std::string::npos) << http.LastWorkerError();
    }
    EXPECT_FALSE(served);
    X509_free(cert);
    EVP_PKEY_free(key);
}

} // namespace
