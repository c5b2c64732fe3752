// The request component without a server: properties, misuse, address parsing, bodies and replies.

#include "database/IEHTTP3.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace database;

namespace {

template <class F> std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const TIEHTTPError& e) {
        return e.what();
    }
    return "(none)";
}

std::string Packed(const std::string& zlibData) {
    return std::string("\x1f\x8b\x08\0\0\0\0\0", 8) + zlibData;
}

std::string ZlibOf(const std::string& text) {
    uLongf size = compressBound(uLong(text.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
             uLong(text.size()));
    out.resize(size);
    return out;
}

TEST(IEHTTP, InitialValuesAndMethodRules) {
    TIEHTTP http;
    EXPECT_EQ(http.URL(), "");
    EXPECT_EQ(http.RequestMethod(), "GET");
    EXPECT_FALSE(http.MultipartPOST());
    EXPECT_EQ(http.Timeout(), 90);
    EXPECT_TRUE(http.BlockingMode());
    EXPECT_EQ(http.ContentType(), "");

    http.SetRequestMethod("Post");
    EXPECT_EQ(http.RequestMethod(), "POST");
    EXPECT_EQ(http.ContentType(), "application/x-www-form-urlencoded");
    EXPECT_EQ(ErrorOf([&] { http.SetRequestMethod("PUT"); }),
              "Unsupported method. Allowed methods: GET, POST");
    EXPECT_EQ(http.RequestMethod(), "POST");
    EXPECT_EQ(ErrorOf([&] { http.AddMultipartVar("a", std::string("b")); }), "tiehttp not in multipart mode");

    http.SetRequestMethod("get");
    http.SetMultipartPOST(true);
    EXPECT_EQ(http.RequestMethod(), "POST");
    EXPECT_EQ(http.ContentType(),
              "multipart/form-data; boundary=-----------------------------7cf87224d2020a");
    http.SetMultipartPOST(false);
    EXPECT_EQ(http.ContentType(), "application/x-www-form-urlencoded");
    http.SetRequestMethod("GET");
    EXPECT_EQ(http.ContentType(), "");

    EXPECT_EQ(ErrorOf([&] { http.Execute(); }), "TIEHTTP: no url in execute method");
    // The guard is released after that failure: parameters can change again.
    EXPECT_EQ(ErrorOf([&] { http.SetRequestMethod("POST"); }), "(none)");
}

TEST(IEHTTP, UrlParsing) {
    struct {
        const char* url;
        const char* host;
        int port;
        const char* path;
        const char* extra;
    } cases[] = {
        {"http://example.org", "example.org", 80, "", ""},
        {"https://Example.org/a/b.php", "Example.org", 443, "/a/b.php", ""},
        {"HTTP://host:8080/x?q=1", "host", 8080, "/x", "?q=1"},
        {"http://user:pw@host/p%20q?a=b%2Bc+d", "host", 80, "/p q", "?a=b%2Bc%2Bd"},
        {"http://host?x=1", "host", 80, "", "?x=1"},
        {"http://[::1]:81/v6", "::1", 81, "/v6", ""},
        {"http://host/page#part", "host", 80, "/page", "#part"},
    };
    for (const auto& c : cases) {
        const TCrackedUrl url = CrackUrl(c.url);
        EXPECT_EQ(url.Host, c.host) << c.url;
        EXPECT_EQ(url.Port, c.port) << c.url;
        EXPECT_EQ(url.Path, c.path) << c.url;
        EXPECT_EQ(url.Extra, c.extra) << c.url;
    }

    struct {
        const char* url;
        const char* error;
    } bad[] = {
        {"ftp://host/file", "TIE: Invalid URL. Error - 12006 = The URL does not use a recognized protocol"},
        {"http://", "TIE: Invalid URL. Error - 12005 = The URL is invalid"},
        {"http://host:99999/", "TIE: Invalid URL. Error - 12005 = The URL is invalid"},
        {"http://host:8o/", "TIE: Invalid URL. Error - 12005 = The URL is invalid"},
        {"http://ho st/", "TIE: Invalid URL. Error - 12005 = The URL is invalid"},
        {"http://[::1/", "TIE: Invalid URL. Error - 12005 = The URL is invalid"},
    };
    TIEHTTP http;
    for (const auto& c : bad) {
        EXPECT_EQ(ErrorOf([&] { http.SetURL(c.url); }), c.error) << c.url;
    }

    http.SetURL("Example.org/index.php");
    EXPECT_EQ(http.URL(), "http://Example.org/index.php");
    http.SetURL("HTTPS://example.org/");
    EXPECT_EQ(http.URL(), "HTTPS://example.org/");
    http.SetURL("");
    EXPECT_EQ(http.URL(), "");

    // The address handed to the library escapes again what may not stand in it.
    EXPECT_EQ(RequestAddress(CrackUrl("http://h/p%20q?a=%C3%A9 b"), true), "http://h:80/p%20q?a=%C3%A9%20b");
    EXPECT_EQ(RequestAddress(CrackUrl("https://h?a=1"), false), "https://h:443/");
    // As given: escapes and "+" stay, only what may not stand in an address is escaped.
    EXPECT_EQ(EscapeAddressBytes("http://h/p?a=A%26B+c d\xC3\xA9\"<>|"),
              "http://h/p?a=A%26B+c%20d%C3%A9%22%3C%3E%7C");
}

TEST(IEHTTP, MultipartVariablesAndBody) {
    TMultipartVars vars;
    vars.Add("b", "1");
    vars.Add("a", "2");
    vars.Add("B", "3"); // names are case-sensitive
    vars.Add("b", "4");
    vars.Add(std::string(300, 'n'), "long");
    ASSERT_EQ(vars.Size(), 4u);
    EXPECT_EQ(vars.Items()[0], (std::pair<std::string, std::string>("b", "4")));
    EXPECT_EQ(vars.Items()[3].first, std::string(255, 'n'));

    TMultipartVars one;
    one.Add("x", "v\r\nw");
    EXPECT_EQ(BuildMultipartBody(one), "-------------------------------7cf87224d2020a\r\n"
                                       "Content-Disposition: form-data; name=\"x\"\r\n"
                                       "\r\n"
                                       "v\r\nw\r\n"
                                       "-------------------------------7cf87224d2020a--\r\n");

    TMultipartVars query;
    AddQueryVars(query, "&option=submit&x=");
    ASSERT_EQ(query.Size(), 2u);
    EXPECT_EQ(query.Items()[1], (std::pair<std::string, std::string>("x", "")));
    EXPECT_EQ(ErrorOf([&] { AddQueryVars(query, "a=1&b"); }), "could not convert b to multipart");
    EXPECT_EQ(ErrorOf([&] { AddQueryVars(query, "a=1=2"); }), "could not convert a=1=2 to multipart");
}

// Failures on the worker end the request quietly, before anything is sent.
TEST(IEHTTP, WorkerFailuresAreQuiet) {
    struct {
        const char* url;
        const char* error;
    } cases[] = {
        {"http://127.0.0.1:9/?a", "could not convert a to multipart"},
        {"http://127.0.0.1:9/", "multipart error: no variables to post"},
    };
    for (const auto& c : cases) {
        TIEHTTP http;
        http.SetMultipartPOST(true);
        EXPECT_EQ(ErrorOf([&] { http.ExecuteURL(c.url); }), "(none)");
        EXPECT_TRUE(http.ResponseLines().empty());
        EXPECT_EQ(http.LastWorkerError(), c.error);
    }
}

TEST(IEHTTP, ReplyLines) {
    struct {
        std::string body;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\n", {"one"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {std::string("a\0b\nc", 5), {"a"}},
        {std::string("\0", 1), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitReplyLines(c.body), c.lines) << c.body;
}

TEST(IEHTTP, UnpackReply) {
    EXPECT_EQ(UnpackReply("plain text"), "plain text");
    EXPECT_EQ(UnpackReply(std::string("\x1f\x8b\x08\0\0\0\0", 7)), std::string("\x1f\x8b\x08\0\0\0\0", 7));
    EXPECT_EQ(UnpackReply(Packed(ZlibOf("hello\r\nworld"))), "hello\r\nworld");
    EXPECT_EQ(UnpackReply(Packed(ZlibOf(""))), "");

    const std::string full = ZlibOf(std::string(1000, 'z'));
    const std::string bad[] = {Packed(""), Packed("not zlib at all"),
                               Packed(full.substr(0, full.size() - 5))};
    for (const auto& body : bad)
        EXPECT_EQ(ErrorOf([&] { UnpackReply(body); }), "Error");

    // The limit: exactly at it is fine, one byte over is the decompression error.
    EXPECT_EQ(UnpackReply(Packed(ZlibOf(std::string(4096, 'q'))), 4096).size(), 4096u);
    EXPECT_EQ(ErrorOf([&] { UnpackReply(Packed(ZlibOf(std::string(4097, 'q'))), 4096); }), "Error");
}

} // namespace
