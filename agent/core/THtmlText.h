#pragma once
// Lyrics cut out of web pages, as plain text: a page's bytes as UTF-8 (by its declared character set),
// HTML entities decoded, line breaks from <br> and paragraphs, every other tag stripped, and links found in
// a page made into full addresses. Pure functions of their text, all linear in its length.

#include <string>
#include <string_view>

namespace agent {

// The page's bytes as well-formed UTF-8. The character set comes from the Content-Type header, else from a
// <meta> declaration near the page's start; UTF-8, Windows-1250/1251/1252/1253, ISO-8859-1 and ASCII are
// known. A page that declares none (or another) is read as UTF-8 when it is valid UTF-8, else as
// Windows-1252.
std::string PageToUtf8(const std::string& body, const std::string& contentType);

// Named (&amp; &eacute; ... the HTML 4 set and &apos;) and numeric (&#233; &#xE9;) references replaced by
// their characters; numbers 128-159 are read as Windows-1252, as browsers do; a number that names no
// character gives U+FFFD; anything else (an unknown name, a "&" alone) stays as it is.
std::string DecodeHtmlEntities(std::string_view utf8);

// An HTML fragment as lines of text joined by "\n": <br> ends a line; <p>, </p> and the ends of other
// blocks (div, li, tr, headings) end a paragraph; scripts, styles and comments go with their content;
// every other tag is removed; entities are decoded and non-breaking spaces become spaces. Where the
// fragment has any <br>, <p> or <div>, its own line breaks are blanks like in a browser, otherwise they
// stay line breaks (text cut out of a <pre> block or plain text). Lines are trimmed, more than one blank
// line in a row becomes one, and blank lines at both ends go.
std::string HtmlToText(std::string_view html);

// A link found on the page at base as a full http or https address: absolute, scheme-relative ("//host"),
// host-relative ("/path"), query-only ("?q") and relative links are resolved; entities in the link are
// decoded first. Empty for a link of another scheme (javascript:, mailto: ...) or an empty one.
std::string ResolveLink(const std::string& base, const std::string& link);

} // namespace agent
