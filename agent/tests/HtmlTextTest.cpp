// Text cut out of web pages: entities, line breaks from markup, character sets, links.
#include "agent/core/THtmlText.h"

#include <gtest/gtest.h>

using namespace agent;

TEST(HtmlText, Entities) {
    const struct {
        const char* html;
        const char* text;
    } cases[] = {
        {"Rock &amp; Roll", "Rock & Roll"},
        {"&lt;3 &gt; &quot;q&quot; &apos;s", "<3 > \"q\" 's"},
        {"caf&eacute; na&iuml;ve &Auml;", "caf\xC3\xA9 na\xC3\xAFve \xC3\x84"},
        {"&#233;&#xE9;&#XE9;", "\xC3\xA9\xC3\xA9\xC3\xA9"},
        {"&#8217;&rsquo;&hellip;", "\xE2\x80\x99\xE2\x80\x99\xE2\x80\xA6"},
        {"&#150;", "\xE2\x80\x93"}, // 128-159 read as Windows-1252, like browsers
        {"&#0;&#xD800;&#1114112;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // no such character
        {"&#x1F600;", "\xF0\x9F\x98\x80"},
        {"AT&T &unknown; & &; &#; &#x; &amp", "AT&T &unknown; & &; &#; &#x; &amp"}, // left as they are
        {"&AMP;", "&AMP;"}, // names are case-sensitive
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeHtmlEntities(c.html), c.text) << c.html;
}

TEST(HtmlText, MarkupToLines) {
    const struct {
        const char* html;
        const char* text;
    } cases[] = {
        {"Line one<br>Line two<BR/>Line three<br />", "Line one\nLine two\nLine three"},
        // Paragraphs are verses: one blank line between them, never more, none at the ends.
        {"<p>A<br>B</p>\n<p>C<br>D</p>", "A\nB\n\nC\nD"},
        {"<br><br><br>A<br><br><br><br>B<br><br>", "A\n\nB"},
        // Source line breaks and blank runs are blanks where markup gives the breaks.
        {"  One   two\n three<br>\n  four  ", "One two three\nfour"},
        // Without markup breaks (text of a <pre> block) the text's own line ends count.
        {"<pre>One\r\nTwo\rThree\n\n\nFour</pre>", "One\nTwo\nThree\n\nFour"},
        {"<i>A</i> <b class=\"x>y\">B</b><span>C</span>", "A BC"},
        {"A<script>var s = '<br>';</script>B<style>p{}</style><!-- <br> -->C", "ABC"},
        {"A&nbsp;&nbsp;B<br>&nbsp;", "A  B"},
        {"1 < 2 and 3 > 2<br>x <- y", "1 < 2 and 3 > 2\nx <- y"},
        {"<div>A</div><div>B</div>", "A\nB"},
        {"unclosed <b tag", "unclosed <b tag"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlToText(c.html), c.text) << c.html;
}

TEST(HtmlText, PageCharsets) {
    // Windows-1251 by the header; by a <meta> tag; undeclared UTF-8; undeclared other bytes as 1252.
    EXPECT_EQ(PageToUtf8("\xCF\xF0\xE8", "text/html; charset=windows-1251"), "\xD0\x9F\xD1\x80\xD0\xB8");
    EXPECT_EQ(PageToUtf8("<meta charset=\"ISO-8859-1\">caf\xE9", ""),
              "<meta charset=\"ISO-8859-1\">caf\xC3\xA9");
    EXPECT_EQ(
        PageToUtf8("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1253\">\xE1", "")
            .substr(74),
        "\xCE\xB1");
    EXPECT_EQ(PageToUtf8("caf\xC3\xA9", "text/html"), "caf\xC3\xA9");
    EXPECT_EQ(PageToUtf8("caf\xE9", "text/html"), "caf\xC3\xA9");
    // Declared UTF-8 that is not: the bad bytes become U+FFFD, never invalid output.
    EXPECT_EQ(PageToUtf8("a\xFF"
                         "b",
                         "text/html;charset=UTF-8"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(HtmlText, Links) {
    const std::string base = "http://site.example:8080/songs/list.php?q=a#top";
    const struct {
        const char* link;
        const char* address;
    } cases[] = {
        {"https://other.example/x", "https://other.example/x"},
        {"//cdn.example/y", "http://cdn.example/y"},
        {"/lyrics/1.html", "http://site.example:8080/lyrics/1.html"},
        {"2.html", "http://site.example:8080/songs/2.html"},
        {"./3.html", "http://site.example:8080/songs/3.html"},
        {"../4.html", "http://site.example:8080/4.html"},
        {"../../../5.html", "http://site.example:8080/5.html"},
        {"?q=b", "http://site.example:8080/songs/list.php?q=b"},
        {" show.php?id=1&amp;x=2 ", "http://site.example:8080/songs/show.php?id=1&x=2"},
        {"javascript:alert(1)", ""},
        {"mailto:a@b", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveLink(base, c.link), c.address) << c.link;
    EXPECT_EQ(ResolveLink("http://h", "x.html"), "http://h/x.html");
}
