#include "lyrics/UTextLyrics.h"

#include "lyrics/TextHelpers.h"

#include "toolkit/AsciiText.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <map>
#include <string_view>
#include <type_traits>

namespace lyrics {
namespace {

// The text from a 0-based index on; empty past the end.
std::string_view From(std::string_view s, std::size_t index) {
    return index < s.size() ? s.substr(index) : std::string_view();
}

// Builds the line list that AddLine called once per line would build, without its quadratic cost: timed
// lines sit in a multimap (equal times after the ones before them), and the lines without time that stand
// before a timed line travel with whichever timed line is inserted right before it, as AddLine's insertion
// does.
class TLineBuilder {
public:
    void Add(std::string_view text, std::int32_t time, std::vector<TLyricWord> words = {}) {
        std::string trimmed = Trim(text);
        if (time == TTextLyrics::kNoTime) {
            Tail_.push_back(std::move(trimmed));
            return;
        }
        auto it = Timed_.emplace(time, TNode{{std::move(trimmed), time, std::move(words)}, {}});
        auto next = std::next(it);
        std::vector<std::string>& group = next == Timed_.end() ? Tail_ : next->second.Before;
        it->second.Before = std::move(group);
        group.clear();
    }

    void MoveInto(std::vector<TLyricTextLine>& lines) {
        lines.clear();
        for (auto& [time, node] : Timed_) {
            for (std::string& text : node.Before)
                lines.push_back({std::move(text), TTextLyrics::kNoTime, {}});
            lines.push_back(std::move(node.Line));
        }
        for (std::string& text : Tail_)
            lines.push_back({std::move(text), TTextLyrics::kNoTime, {}});
    }

private:
    struct TNode {
        TLyricTextLine Line;
        std::vector<std::string> Before; // lines without time standing right before this one
    };
    std::multimap<std::int32_t, TNode> Timed_;
    std::vector<std::string> Tail_;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A time stamp between open and close at the front of s: minutes of 1 to 3 digits, ":", two digits of
// seconds, then optionally ".", "," or ":" and a fraction of 1 to 3 digits (".4" is 400 ms, ".45" 450 ms,
// ".456" 456 ms). Returns the stamp's length with both brackets, or 0 when s does not start with one.
std::size_t ReadStamp(std::string_view s, char open, char close, std::int32_t& time) {
    if (s.empty() || s[0] != open)
        return 0;
    std::size_t i = 1;
    std::int32_t minutes = 0;
    while (i < s.size() && i <= 3 && IsDigit(s[i]))
        minutes = minutes * 10 + (s[i++] - '0');
    if (i == 1 || i + 3 > s.size() || s[i] != ':' || !IsDigit(s[i + 1]) || !IsDigit(s[i + 2]))
        return 0;
    const std::int32_t seconds = (s[i + 1] - '0') * 10 + (s[i + 2] - '0');
    i += 3;
    std::int32_t fraction = 0;
    if (i < s.size() && (s[i] == '.' || s[i] == ',' || s[i] == ':')) {
        const std::size_t first = ++i;
        std::int32_t scale = 100;
        while (i < s.size() && i - first < 3 && IsDigit(s[i])) {
            fraction += (s[i++] - '0') * scale;
            scale /= 10;
        }
        if (i == first)
            return 0;
    }
    if (i >= s.size() || s[i] != close)
        return 0;
    time = minutes * 60000 + seconds * 1000 + fraction;
    return i + 1;
}

// A key group other than a time: "[key:value]" with a key of letters, digits, "_", "-" or "#" that starts
// with a letter or "#" ("[offset:+250]", "[length: 3:45]", "[#:comment]"), or a comment "[#...]". Returns
// the group's length up to and with its "]" (0 when s does not start with one) and its key and value.
std::size_t ReadKeyGroup(std::string_view s, std::string_view& key, std::string_view& value) {
    if (s.size() < 3 || s[0] != '[' || !(IsAsciiLetter(s[1]) || s[1] == '#'))
        return 0;
    const std::size_t close = s.find(']');
    if (close == std::string_view::npos)
        return 0;
    std::size_t i = 1;
    while (i < close && (IsAsciiLetter(s[i]) || IsDigit(s[i]) || s[i] == '_' || s[i] == '-' || s[i] == '#'))
        ++i;
    if (i < close && s[i] == ':') {
        key = s.substr(1, i - 1);
        value = s.substr(i + 1, close - i - 1);
    } else if (s[1] == '#') {
        key = "#";
        value = s.substr(2, close - 2);
    } else {
        return 0;
    }
    return close + 1;
}

// Moves "<mm:ss.xx>" word stamps out of a line's text into word times; the text is trimmed as lines are.
std::string TakeWordStamps(std::string_view text, std::vector<TLyricWord>& words) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::int32_t time = 0;
        if (text[i] == '<') {
            if (const std::size_t length = ReadStamp(text.substr(i), '<', '>', time)) {
                words.push_back({out.size(), time});
                i += length;
                continue;
            }
        }
        out += text[i++];
    }
    const std::string_view trimmed = TrimView(out);
    const std::size_t lead = std::size_t(trimmed.data() - out.data());
    for (TLyricWord& word : words)
        word.Start = std::min(word.Start > lead ? word.Start - lead : 0, trimmed.size());
    return std::string(trimmed);
}

// A time of the text with the offset taken off, kept within 0 .. INT32_MAX.
std::int32_t Shifted(std::int32_t time, std::int32_t offset) {
    const std::int64_t t = std::int64_t(time) - offset;
    return std::int32_t(std::clamp<std::int64_t>(t, 0, INT32_MAX));
}

// Splits text into lines for DecodeLyricFile: breaks at LF, CR (CR LF together), VT, FF, U+2028 and U+2029;
// NUL ends the text. A final line counts when it is not empty.
template <typename TChar, typename TEmit>
void SplitLines(const std::basic_string<TChar>& text, bool dropLastLine, TEmit emit) {
    std::size_t start = 0, i = 0;
    const std::size_t n = text.size();
    for (; i < n; ++i) {
        const auto c = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<TChar>>(text[i]));
        if (c == 0)
            break;
        if (c == '\n' || c == '\r' || c == 0x0B || c == 0x0C ||
            (sizeof(TChar) > 1 && (c == 0x2028 || c == 0x2029))) {
            emit(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == TChar('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (i > start && !(dropLastLine && i == n))
        emit(text.substr(start, i - start));
}

std::u16string Utf16FromBytes(const std::string& bytes, std::size_t offset, bool bigEndian) {
    std::u16string out;
    out.reserve((bytes.size() - offset) / 2);
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a));
    }
    return out;
}

} // namespace

void TTextLyrics::AddLine(const std::string& text, std::int32_t time) {
    TLyricTextLine line{Trim(text), time};
    if (time == kNoTime) {
        Lines.push_back(std::move(line));
        return;
    }
    auto at = Lines.begin();
    while (at != Lines.end() && !(at->Time != kNoTime && at->Time > time))
        ++at;
    Lines.insert(at, std::move(line));
}

void TTextLyrics::FillMissingTimes() {
    const std::size_t n = Lines.size();
    // A document of no lines or of one line is not timestamped: no line after the first carries a time.
    if (n < 2) {
        Timestamped = false;
        return;
    }
    std::size_t filled = 0;
    if (Lines[n - 1].Time == kNoTime) {
        Lines[n - 1].Time = kEndTime;
        ++filled;
    }
    for (std::size_t i = n - 1; i-- > 1;) {
        if (Lines[i].Time == kNoTime) {
            Lines[i].Time = Lines[i + 1].Time;
            ++filled;
        }
    }
    Timestamped = filled != n - 1;
}

void TTextLyrics::ParseText(const std::string& text) {
    Tags.clear();
    DownloadSource.clear();
    Offset = 0;
    LiveShift = 0;
    TLineBuilder builder;
    std::size_t lineCount = 0;
    std::size_t budget = kMaxParsedBytes; // text stored by this parse; hostile input stops here
    bool full = false;

    std::string_view all(text);
    all = all.substr(0, all.find('\0'));

    auto addTag = [&](std::string_view tag) {
        if (tag.size() > budget)
            return false;
        budget -= tag.size();
        Tags.emplace_back(tag);
        return true;
    };

    auto parseLine = [&](std::string_view line) {
        std::string_view rest = TrimView(line);
        std::vector<std::int32_t> times;
        std::int32_t t = kNoTime;
        bool firstPass = true;
        while (firstPass || (rest.size() > 1 && rest[0] == '[')) {
            firstPass = false;
            // A well-formed stamp of 1 to 3 digits of minutes and a fraction of 1 to 3 digits; the forms
            // [mm:ss] and [mm:ss.cc] read the same here as by the fixed positions below.
            if (const std::size_t length = ReadStamp(rest, '[', ']', t)) {
                times.push_back(t);
                rest = From(rest, length);
                continue;
            }
            if (rest.size() > 3 && rest[0] == '[' && rest[3] == ':') { // colon group, by fixed positions
                const std::string_view before = rest;
                bool isTime = false;
                if (std::tolower(static_cast<unsigned char>(rest[1])) == 'd' &&
                    std::tolower(static_cast<unsigned char>(rest[2])) == 'l') {
                    const std::string_view source = rest.substr(4, rest.size() - 5);
                    if (source.size() > budget)
                        return false;
                    budget -= source.size();
                    DownloadSource.assign(source);
                } else {
                    std::int32_t minutes = 0, seconds = 0;
                    if (ReadInteger(rest.substr(1, 2), minutes) && ReadInteger(rest.substr(4, 2), seconds)) {
                        t = minutes * 60000 + seconds * 1000;
                        isTime = true;
                    }
                }
                std::size_t after = 7;
                if (isTime && rest.size() > 9 && (rest[6] == '.' || rest[6] == ',' || rest[6] == ':')) {
                    std::int32_t hundredths = 0;
                    if (ReadInteger(rest.substr(7, 2), hundredths))
                        t += hundredths * 10;
                    after = 10;
                }
                if (isTime)
                    times.push_back(t);
                else if (!addTag(before))
                    return false;
                rest = From(rest, after);
                continue;
            }
            std::string_view key, value;
            if (const std::size_t length = ReadKeyGroup(rest, key, value)) { // any other key: a tag
                if (toolkit::LowerAscii(std::string(key)) == "offset")
                    ReadInteger(TrimView(value), Offset);
                if (!addTag(rest))
                    return false;
                rest = From(rest, length);
                continue;
            }
            const std::size_t close =
                rest.empty() || rest[0] != '[' ? std::string_view::npos : rest.find(']');
            if (close != std::string_view::npos && close >= 1) { // bracket group
                ReadInteger(rest.substr(1, close - 1), t);
                times.push_back(t);
                rest = From(rest, close + 1);
                continue;
            }
            if (times.empty()) // plain text
                times.push_back(kNoTime);
            break;
        }
        std::vector<TLyricWord> words;
        std::string wordText;
        if (!times.empty() && rest.find('<') != std::string_view::npos) {
            wordText = TakeWordStamps(rest, words);
            if (!words.empty()) {
                rest = wordText;
                // A line of word stamps only is sung from its first word on.
                if (std::all_of(times.begin(), times.end(), [](std::int32_t x) { return x == kNoTime; }))
                    times.assign(1, words.front().Time);
            }
        }
        const auto firstTimed =
            std::find_if(times.begin(), times.end(), [](std::int32_t x) { return x != kNoTime; });
        const std::int32_t wordsFrom = firstTimed == times.end() ? kNoTime : *firstTimed;
        for (std::int32_t time : times) {
            if (lineCount >= kMaxLines || rest.size() > budget || words.size() > budget / 8)
                return false;
            budget -= rest.size() + words.size() * 8;
            ++lineCount;
            std::vector<TLyricWord> lineWords = words;
            if (time != kNoTime && time != wordsFrom) // a repeated line: its words move with it
                for (TLyricWord& word : lineWords)
                    word.Time = Shifted(word.Time, wordsFrom - time);
            builder.Add(rest, time, std::move(lineWords));
        }
        return true;
    };

    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.size() && !full; ++i) {
        if (i < all.size() && all[i] != '\r' && all[i] != '\n')
            continue;
        if (i == all.size() && i == start)
            break; // nothing after the last break: no further line
        full = !parseLine(all.substr(start, i - start));
        if (i < all.size() && all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    builder.MoveInto(Lines);
    // The offset holds for every time of the text, wherever its tag stands; taking the same amount off
    // every time (down to 0 at most) keeps their order.
    if (Offset != 0) {
        for (TLyricTextLine& line : Lines) {
            if (line.Time != kNoTime)
                line.Time = Shifted(line.Time, Offset);
            for (TLyricWord& word : line.Words)
                word.Time = Shifted(word.Time, Offset);
        }
    }
    FillMissingTimes();
}

bool TTextLyrics::LoadFromFile(const std::string& fileName, std::string* error) {
    std::string bytes;
    bool truncated = false;
    if (!toolkit::ReadFileHead(fileName, kMaxFileBytes, bytes, &truncated, error))
        return false;
    ParseText(DecodeLyricFile(bytes, truncated));
    return true;
}

int TTextLyrics::WordIndexAt(const TLyricTextLine& line, std::int32_t position) {
    int index = -1;
    for (const TLyricWord& word : line.Words) {
        if (!(word.Time < position))
            break;
        ++index;
    }
    return index;
}

int TTextLyrics::LineIndexAt(std::int32_t position) const {
    int index = -1;
    for (const TLyricTextLine& line : Lines) {
        if (!(line.Time < position))
            break;
        ++index;
    }
    return index;
}

std::string WordStampedText(const TLyricTextLine& line, std::int32_t offset) {
    std::string out;
    std::size_t from = 0;
    for (const TLyricWord& word : line.Words) {
        const std::size_t at = std::min(std::max(word.Start, from), line.Text.size());
        out.append(line.Text, from, at - from);
        from = at;
        const std::int64_t t =
            std::clamp<std::int64_t>(std::int64_t(word.Time) + offset, 0, 999 * 60000 + 59999);
        char stamp[24];
        if (t % 10 == 0)
            std::snprintf(stamp, sizeof stamp, "<%02d:%02d.%02d>", int(t / 60000), int(t / 1000 % 60),
                          int(t / 10 % 100));
        else
            std::snprintf(stamp, sizeof stamp, "<%02d:%02d.%03d>", int(t / 60000), int(t / 1000 % 60),
                          int(t % 1000));
        out += stamp;
    }
    out.append(line.Text, from, std::string::npos);
    return out;
}

std::string DecodeLyricFile(const std::string& bytes, bool truncated) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    auto join = [&out](auto line) {
        if constexpr (std::is_same_v<decltype(line), std::u16string>)
            out += toolkit::Utf16ToActive(line);
        else
            out += line;
        out += "\r\n";
    };
    auto startsWith = [&bytes](std::string_view mark) {
        return std::string_view(bytes).substr(0, mark.size()) == mark;
    };

    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        SplitLines(Utf16FromBytes(bytes, 2, bytes[0] == '\xFE'), truncated, join);
        return out;
    }
    // NUL ends the text; a NUL byte is never part of a multi-byte UTF-8 sequence.
    std::string text = bytes.substr(0, bytes.find('\0'));
    const bool cut = truncated && text.size() == bytes.size();
    if (cut) // the head of a longer file: keep whole lines only, so a split character cannot spoil detection
        text.erase(text.find_last_of("\n\r\x0B\x0C") + 1);
    if (startsWith("\xEF\xBB\xBF")) {
        SplitLines(toolkit::Utf8ToUtf16(text.size() > 3 ? text.substr(3) : std::string()), false, join);
    } else if (toolkit::IsMultiByteUtf8(text)) {
        SplitLines(toolkit::Utf8ToUtf16(text), false, join);
    } else if (toolkit::IsUtf8CodePage(toolkit::ActiveCodePage())) {
        // 8-bit text that is not UTF-8 while the program's text is: most such files were written on
        // Western Windows, so they are read as Windows-1252.
        SplitLines(toolkit::CodePageToUtf16(text, 1252), false, join);
    } else {
        SplitLines(text, false, join);
    }
    return out;
}

} // namespace lyrics
