#include "agent/core/THtmlText.h"

#include "toolkit/AsciiText.h"
#include "toolkit/CodePage.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace agent {

namespace {

struct TEntity {
    const char* Name;
    char32_t CodePoint;
};

// The HTML 4 character entities and &apos;, sorted by name (byte order).
const TEntity kEntities[] = {
    {"AElig", 0xC6},     {"Aacute", 0xC1},   {"Acirc", 0xC2},    {"Agrave", 0xC0},   {"Alpha", 0x391},
    {"Aring", 0xC5},     {"Atilde", 0xC3},   {"Auml", 0xC4},     {"Beta", 0x392},    {"Ccedil", 0xC7},
    {"Chi", 0x3A7},      {"Dagger", 0x2021}, {"Delta", 0x394},   {"ETH", 0xD0},      {"Eacute", 0xC9},
    {"Ecirc", 0xCA},     {"Egrave", 0xC8},   {"Epsilon", 0x395}, {"Eta", 0x397},     {"Euml", 0xCB},
    {"Gamma", 0x393},    {"Iacute", 0xCD},   {"Icirc", 0xCE},    {"Igrave", 0xCC},   {"Iota", 0x399},
    {"Iuml", 0xCF},      {"Kappa", 0x39A},   {"Lambda", 0x39B},  {"Mu", 0x39C},      {"Ntilde", 0xD1},
    {"Nu", 0x39D},       {"OElig", 0x152},   {"Oacute", 0xD3},   {"Ocirc", 0xD4},    {"Ograve", 0xD2},
    {"Omega", 0x3A9},    {"Omicron", 0x39F}, {"Oslash", 0xD8},   {"Otilde", 0xD5},   {"Ouml", 0xD6},
    {"Phi", 0x3A6},      {"Pi", 0x3A0},      {"Prime", 0x2033},  {"Psi", 0x3A8},     {"Rho", 0x3A1},
    {"Scaron", 0x160},   {"Sigma", 0x3A3},   {"THORN", 0xDE},    {"Tau", 0x3A4},     {"Theta", 0x398},
    {"Uacute", 0xDA},    {"Ucirc", 0xDB},    {"Ugrave", 0xD9},   {"Upsilon", 0x3A5}, {"Uuml", 0xDC},
    {"Xi", 0x39E},       {"Yacute", 0xDD},   {"Yuml", 0x178},    {"Zeta", 0x396},    {"aacute", 0xE1},
    {"acirc", 0xE2},     {"acute", 0xB4},    {"aelig", 0xE6},    {"agrave", 0xE0},   {"alefsym", 0x2135},
    {"alpha", 0x3B1},    {"amp", 0x26},      {"and", 0x2227},    {"ang", 0x2220},    {"apos", 0x27},
    {"aring", 0xE5},     {"asymp", 0x2248},  {"atilde", 0xE3},   {"auml", 0xE4},     {"bdquo", 0x201E},
    {"beta", 0x3B2},     {"brvbar", 0xA6},   {"bull", 0x2022},   {"cap", 0x2229},    {"ccedil", 0xE7},
    {"cedil", 0xB8},     {"cent", 0xA2},     {"chi", 0x3C7},     {"circ", 0x2C6},    {"clubs", 0x2663},
    {"cong", 0x2245},    {"copy", 0xA9},     {"crarr", 0x21B5},  {"cup", 0x222A},    {"curren", 0xA4},
    {"dArr", 0x21D3},    {"dagger", 0x2020}, {"darr", 0x2193},   {"deg", 0xB0},      {"delta", 0x3B4},
    {"diams", 0x2666},   {"divide", 0xF7},   {"eacute", 0xE9},   {"ecirc", 0xEA},    {"egrave", 0xE8},
    {"empty", 0x2205},   {"emsp", 0x2003},   {"ensp", 0x2002},   {"epsilon", 0x3B5}, {"equiv", 0x2261},
    {"eta", 0x3B7},      {"eth", 0xF0},      {"euml", 0xEB},     {"euro", 0x20AC},   {"exist", 0x2203},
    {"fnof", 0x192},     {"forall", 0x2200}, {"frac12", 0xBD},   {"frac14", 0xBC},   {"frac34", 0xBE},
    {"frasl", 0x2044},   {"gamma", 0x3B3},   {"ge", 0x2265},     {"gt", 0x3E},       {"hArr", 0x21D4},
    {"harr", 0x2194},    {"hearts", 0x2665}, {"hellip", 0x2026}, {"iacute", 0xED},   {"icirc", 0xEE},
    {"iexcl", 0xA1},     {"igrave", 0xEC},   {"image", 0x2111},  {"infin", 0x221E},  {"int", 0x222B},
    {"iota", 0x3B9},     {"iquest", 0xBF},   {"isin", 0x2208},   {"iuml", 0xEF},     {"kappa", 0x3BA},
    {"lArr", 0x21D0},    {"lambda", 0x3BB},  {"lang", 0x2329},   {"laquo", 0xAB},    {"larr", 0x2190},
    {"lceil", 0x2308},   {"ldquo", 0x201C},  {"le", 0x2264},     {"lfloor", 0x230A}, {"lowast", 0x2217},
    {"loz", 0x25CA},     {"lrm", 0x200E},    {"lsaquo", 0x2039}, {"lsquo", 0x2018},  {"lt", 0x3C},
    {"macr", 0xAF},      {"mdash", 0x2014},  {"micro", 0xB5},    {"middot", 0xB7},   {"minus", 0x2212},
    {"mu", 0x3BC},       {"nabla", 0x2207},  {"nbsp", 0xA0},     {"ndash", 0x2013},  {"ne", 0x2260},
    {"ni", 0x220B},      {"not", 0xAC},      {"notin", 0x2209},  {"nsub", 0x2284},   {"ntilde", 0xF1},
    {"nu", 0x3BD},       {"oacute", 0xF3},   {"ocirc", 0xF4},    {"oelig", 0x153},   {"ograve", 0xF2},
    {"oline", 0x203E},   {"omega", 0x3C9},   {"omicron", 0x3BF}, {"oplus", 0x2295},  {"or", 0x2228},
    {"ordf", 0xAA},      {"ordm", 0xBA},     {"oslash", 0xF8},   {"otilde", 0xF5},   {"otimes", 0x2297},
    {"ouml", 0xF6},      {"para", 0xB6},     {"part", 0x2202},   {"permil", 0x2030}, {"perp", 0x22A5},
    {"phi", 0x3C6},      {"pi", 0x3C0},      {"piv", 0x3D6},     {"plusmn", 0xB1},   {"pound", 0xA3},
    {"prime", 0x2032},   {"prod", 0x220F},   {"prop", 0x221D},   {"psi", 0x3C8},     {"quot", 0x22},
    {"rArr", 0x21D2},    {"radic", 0x221A},  {"rang", 0x232A},   {"raquo", 0xBB},    {"rarr", 0x2192},
    {"rceil", 0x2309},   {"rdquo", 0x201D},  {"real", 0x211C},   {"reg", 0xAE},      {"rfloor", 0x230B},
    {"rho", 0x3C1},      {"rlm", 0x200F},    {"rsaquo", 0x203A}, {"rsquo", 0x2019},  {"sbquo", 0x201A},
    {"scaron", 0x161},   {"sdot", 0x22C5},   {"sect", 0xA7},     {"shy", 0xAD},      {"sigma", 0x3C3},
    {"sigmaf", 0x3C2},   {"sim", 0x223C},    {"spades", 0x2660}, {"sub", 0x2282},    {"sube", 0x2286},
    {"sum", 0x2211},     {"sup", 0x2283},    {"sup1", 0xB9},     {"sup2", 0xB2},     {"sup3", 0xB3},
    {"supe", 0x2287},    {"szlig", 0xDF},    {"tau", 0x3C4},     {"there4", 0x2234}, {"theta", 0x3B8},
    {"thetasym", 0x3D1}, {"thinsp", 0x2009}, {"thorn", 0xFE},    {"tilde", 0x2DC},   {"times", 0xD7},
    {"trade", 0x2122},   {"uArr", 0x21D1},   {"uacute", 0xFA},   {"uarr", 0x2191},   {"ucirc", 0xFB},
    {"ugrave", 0xF9},    {"uml", 0xA8},      {"upsih", 0x3D2},   {"upsilon", 0x3C5}, {"uuml", 0xFC},
    {"weierp", 0x2118},  {"xi", 0x3BE},      {"yacute", 0xFD},   {"yen", 0xA5},      {"yuml", 0xFF},
    {"zeta", 0x3B6},     {"zwj", 0x200D},    {"zwnj", 0x200C},
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiAlnum(char c) {
    return IsAsciiAlpha(c) || (c >= '0' && c <= '9');
}

// The code point of a numeric reference's number (after "&#"), or nothing when the text is no number.
bool ReadNumber(std::string_view digits, bool hex, char32_t& value) {
    if (digits.empty() || digits.size() > 8)
        return false;
    std::uint32_t v = 0;
    for (char c : digits) {
        const int d = hex ? toolkit::HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0)
            return false;
        v = v * (hex ? 16 : 10) + std::uint32_t(d);
    }
    value = v;
    return true;
}

// The character of a numeric reference, as browsers read it.
void AppendNumbered(std::string& out, char32_t value) {
    if (value >= 0x80 && value <= 0x9F) {
        out += toolkit::CodePageToUtf8(std::string(1, char(value)), 1252);
        return;
    }
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        value = 0xFFFD;
    AppendUtf8(out, value);
}

std::string LowerView(std::string_view text) {
    return toolkit::LowerAscii(std::string(text));
}

// The character set named in a Content-Type value or a <meta> declaration: the value after "charset=".
std::string CharsetIn(std::string_view text) {
    const std::string lower = LowerView(text);
    const std::size_t at = lower.find("charset=");
    if (at == std::string::npos)
        return {};
    std::size_t begin = at + 8;
    while (begin < lower.size() && (lower[begin] == '"' || lower[begin] == '\'' || lower[begin] == ' '))
        ++begin;
    std::size_t end = begin;
    while (end < lower.size() && (IsAsciiAlnum(lower[end]) || lower[end] == '-' || lower[end] == '_'))
        ++end;
    return lower.substr(begin, end - begin);
}

// 0 for UTF-8, a single-byte page, or -1 when the name is not known.
int CodePageOfCharsetName(const std::string& name) {
    if (name == "utf-8" || name == "utf8")
        return 0;
    if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" || name == "latin1" ||
        name == "iso_8859-1" || name == "us-ascii" || name == "ascii")
        return 1252;
    if (name == "windows-1250" || name == "cp1250")
        return 1250;
    if (name == "windows-1251" || name == "cp1251")
        return 1251;
    if (name == "windows-1253" || name == "cp1253")
        return 1253;
    return -1;
}

bool IsWellFormedUtf8(const std::string& text) {
    return toolkit::Utf16ToUtf8(toolkit::Utf8ToUtf16(text)) == text;
}

// Case-insensitive search for an ASCII needle from a position.
std::size_t FindIgnoringCase(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (needle.empty() || haystack.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (toolkit::EqualsIgnoringAsciiCase(haystack.substr(i, needle.size()), needle))
            return i;
    }
    return std::string_view::npos;
}

// Where a tag that starts at '<' ends (just after its '>'), skipping quoted attribute values; npos when
// it never ends.
std::size_t TagEnd(std::string_view html, std::size_t lt) {
    char quote = 0;
    for (std::size_t i = lt + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// Line: a line end (<br>, so several make blank lines); Block: the end of a line unless one just ended
// (blocks never make blank lines of their own); Paragraph: a blank line.
enum class TBreak { None, Line, Block, Paragraph };

TBreak BreakOfTag(const std::string& name) {
    if (name == "br")
        return TBreak::Line;
    if (name == "p")
        return TBreak::Paragraph;
    static const char* const kBlocks[] = {"div", "li",         "tr",  "h1", "h2", "h3",    "h4", "h5",
                                          "h6",  "blockquote", "pre", "ul", "ol", "table", "dd", "dt"};
    for (const char* block : kBlocks)
        if (name == block)
            return TBreak::Block;
    return TBreak::None;
}

// Whether the text holds a start or end tag of the name ("<p" followed by a letter is another tag).
bool HasTag(std::string_view html, const std::string& name) {
    for (std::size_t at = FindIgnoringCase(html, "<" + name, 0); at != std::string_view::npos;
         at = FindIgnoringCase(html, "<" + name, at + 1)) {
        const std::size_t after = at + 1 + name.size();
        if (after >= html.size() || !IsAsciiAlnum(html[after]))
            return true;
    }
    for (std::size_t at = FindIgnoringCase(html, "</" + name, 0); at != std::string_view::npos;
         at = FindIgnoringCase(html, "</" + name, at + 1)) {
        const std::size_t after = at + 2 + name.size();
        if (after >= html.size() || !IsAsciiAlnum(html[after]))
            return true;
    }
    return false;
}

} // namespace

std::string DecodeHtmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        const std::size_t semicolon = text.find(';', i + 1);
        // Names and numbers are short: a ';' far away belongs to something else.
        if (semicolon == std::string_view::npos || semicolon - i > 12) {
            out += text[i++];
            continue;
        }
        const std::string_view body = text.substr(i + 1, semicolon - i - 1);
        bool done = false;
        if (body.size() >= 2 && body[0] == '#') {
            char32_t value = 0;
            const bool hex = body[1] == 'x' || body[1] == 'X';
            if (ReadNumber(body.substr(hex ? 2 : 1), hex, value)) {
                AppendNumbered(out, value);
                done = true;
            }
        } else if (!body.empty()) {
            const std::string name(body);
            const auto* end = std::end(kEntities);
            const auto* it = std::lower_bound(
                std::begin(kEntities), end, name,
                [](const TEntity& e, const std::string& n) { return std::strcmp(e.Name, n.c_str()) < 0; });
            if (it != end && name == it->Name) {
                AppendUtf8(out, it->CodePoint);
                done = true;
            }
        }
        if (done) {
            i = semicolon + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string PageToUtf8(const std::string& body, const std::string& contentType) {
    std::string charset = CharsetIn(contentType);
    if (charset.empty()) {
        // A <meta charset=...> or <meta http-equiv=... content="...; charset=..."> stands near the start.
        const std::string_view head =
            std::string_view(body).substr(0, std::min<std::size_t>(body.size(), 8192));
        for (std::size_t at = FindIgnoringCase(head, "<meta", 0);
             at != std::string_view::npos && charset.empty(); at = FindIgnoringCase(head, "<meta", at + 5)) {
            const std::size_t end = TagEnd(head, at);
            charset =
                CharsetIn(head.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        }
    }
    const int page = CodePageOfCharsetName(charset);
    if (page > 0)
        return toolkit::CodePageToUtf8(body, page);
    if (page == 0 || IsWellFormedUtf8(body))
        return toolkit::Utf16ToUtf8(toolkit::Utf8ToUtf16(body)); // malformed sequences become U+FFFD
    return toolkit::CodePageToUtf8(body, 1252);
}

std::string HtmlToText(std::string_view html) {
    const bool markupBreaks = HasTag(html, "br") || HasTag(html, "p") || HasTag(html, "div");
    // Text with breaks as markers: '\n' a line end, '\f' a paragraph end.
    std::string raw;
    std::string segment;
    const auto flushText = [&] {
        if (segment.empty())
            return;
        std::string decoded = DecodeHtmlEntities(segment);
        segment.clear();
        for (std::size_t k = 0; k < decoded.size(); ++k) {
            const char c = decoded[k];
            if (c == '\r' && k + 1 < decoded.size() && decoded[k + 1] == '\n')
                continue; // CR LF is one line end
            if (markupBreaks && (c == '\n' || c == '\r' || c == '\t'))
                raw += ' ';
            else if (c == '\r')
                raw += '\n';
            else if (c == '\f' || c == '\t')
                raw += ' ';
            else
                raw += c;
        }
    };

    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c != '<' || i + 1 >= html.size()) {
            segment += c;
            ++i;
            continue;
        }
        const char next = html[i + 1];
        if (html.substr(i, 4) == "<!--") {
            flushText();
            const std::size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        if (!(IsAsciiAlpha(next) || next == '/' || next == '!' || next == '?')) {
            segment += c; // a "<" that opens no tag is text
            ++i;
            continue;
        }
        const std::size_t end = TagEnd(html, i);
        if (end == std::string_view::npos) {
            segment += c;
            ++i;
            continue;
        }
        flushText();
        const bool closing = next == '/';
        std::size_t nameStart = i + (closing ? 2 : 1), nameEnd = nameStart;
        while (nameEnd < end && IsAsciiAlnum(html[nameEnd]))
            ++nameEnd;
        const std::string name = LowerView(html.substr(nameStart, nameEnd - nameStart));
        i = end;
        if (!closing && (name == "script" || name == "style")) {
            const std::size_t close = FindIgnoringCase(html, "</" + name, i);
            i = close == std::string_view::npos ? html.size() : std::min(html.size(), TagEnd(html, close));
            continue;
        }
        switch (BreakOfTag(name)) {
        case TBreak::Line:
            raw += '\n';
            break;
        case TBreak::Block:
            if (!raw.empty() && raw.back() != '\n' && raw.back() != '\f')
                raw += '\n';
            break;
        case TBreak::Paragraph:
            raw += '\f';
            break;
        case TBreak::None:
            break;
        }
    }
    flushText();

    // Lines: non-breaking spaces as spaces, blanks collapsed where markup gives the breaks, trimmed; a
    // paragraph end is a blank line; at most one blank line in a row; none at either end.
    std::string out;
    std::string line;
    int blankRun = 0;
    bool started = false;
    const auto endLine = [&](bool paragraph) {
        // Trim (the line holds no line breaks).
        std::size_t b = 0, e = line.size();
        while (b < e && (line[b] == ' ' || line[b] == '\t'))
            ++b;
        while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t'))
            --e;
        const std::string trimmed = line.substr(b, e - b);
        line.clear();
        if (trimmed.empty()) {
            if (started)
                ++blankRun;
        } else {
            if (started)
                out += blankRun > 0 ? "\n\n" : "\n";
            out += trimmed;
            started = true;
            blankRun = 0;
        }
        if (paragraph && started)
            ++blankRun;
    };
    const std::string nbsp = "\xC2\xA0";
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\n' || c == '\f') {
            endLine(c == '\f');
        } else if (raw.compare(i, 2, nbsp) == 0) {
            line += ' ';
            ++i;
        } else if (c == ' ' && markupBreaks && !line.empty() && line.back() == ' ') {
            // a run of blanks is one blank
        } else {
            line += c;
        }
    }
    endLine(false);
    return out;
}

std::string ResolveLink(const std::string& base, const std::string& link) {
    std::string target = DecodeHtmlEntities(link);
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!target.empty() && blank(target.front()))
        target.erase(target.begin());
    while (!target.empty() && blank(target.back()))
        target.pop_back();
    if (target.empty())
        return {};
    const std::string lower = toolkit::LowerAscii(target);
    if (lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0)
        return target;

    const std::size_t schemeEnd = base.find("://");
    if (schemeEnd == std::string::npos)
        return {};
    // Any other scheme (a run of letters, digits, "+-." before ':' with no '/' before it) is not followed.
    const std::size_t colon = target.find(':');
    const std::size_t slash = target.find_first_of("/?#");
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash))
        return {};
    const std::string scheme = base.substr(0, schemeEnd);
    if (target.rfind("//", 0) == 0)
        return scheme + ":" + target;
    const std::size_t pathStart = base.find_first_of("/?#", schemeEnd + 3);
    const std::string origin = base.substr(0, pathStart);
    if (target[0] == '/')
        return origin + target;
    const std::string withoutFragment = base.substr(0, base.find('#'));
    if (target[0] == '#')
        return withoutFragment;
    const std::string withoutQuery = withoutFragment.substr(0, withoutFragment.find('?'));
    if (target[0] == '?')
        return withoutQuery + target;
    // Relative to the base's folder; "./" and "../" steps are resolved.
    std::string path = pathStart == std::string::npos || withoutQuery.size() <= origin.size()
                           ? std::string("/")
                           : withoutQuery.substr(origin.size());
    path.erase(path.rfind('/') + 1);
    std::string rest = target;
    for (;;) {
        if (rest.rfind("./", 0) == 0) {
            rest.erase(0, 2);
        } else if (rest.rfind("../", 0) == 0) {
            rest.erase(0, 3);
            if (path.size() > 1) {
                path.pop_back();
                path.erase(path.rfind('/') + 1);
            }
        } else {
            break;
        }
    }
    return origin + path + rest;
}

} // namespace agent
