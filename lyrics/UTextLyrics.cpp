#include "lyrics/UTextLyrics.h"

#include "lyrics/TextHelpers.h"

#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include <cctype>
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
    void Add(std::string_view text, std::int32_t time) {
        std::string trimmed = Trim(text);
        if (time == TTextLyrics::kNoTime) {
            Tail_.push_back(std::move(trimmed));
            return;
        }
        auto it = Timed_.emplace(time, TNode{std::move(trimmed), {}});
        auto next = std::next(it);
        std::vector<std::string>& group = next == Timed_.end() ? Tail_ : next->second.Before;
        it->second.Before = std::move(group);
        group.clear();
    }

    void MoveInto(std::vector<TLyricTextLine>& lines) {
        lines.clear();
        for (auto& [time, node] : Timed_) {
            for (std::string& text : node.Before)
                lines.push_back({std::move(text), TTextLyrics::kNoTime});
            lines.push_back({std::move(node.Text), time});
        }
        for (std::string& text : Tail_)
            lines.push_back({std::move(text), TTextLyrics::kNoTime});
    }

private:
    struct TNode {
        std::string Text;
        std::vector<std::string> Before; // lines without time standing right before this one
    };
    std::multimap<std::int32_t, TNode> Timed_;
    std::vector<std::string> Tail_;
};

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
    TLineBuilder builder;
    std::size_t lineCount = 0;
    std::size_t budget = kMaxParsedBytes; // text stored by this parse; hostile input stops here
    bool full = false;

    std::string_view all(text);
    all = all.substr(0, all.find('\0'));

    auto parseLine = [&](std::string_view line) {
        std::string_view rest = TrimView(line);
        std::vector<std::int32_t> times;
        std::int32_t t = kNoTime;
        bool firstPass = true;
        while (firstPass || (rest.size() > 1 && rest[0] == '[')) {
            firstPass = false;
            if (rest.size() > 3 && rest[0] == '[' && rest[3] == ':') { // colon group
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
                if (isTime) {
                    times.push_back(t);
                } else {
                    if (before.size() > budget)
                        return false;
                    budget -= before.size();
                    Tags.emplace_back(before);
                }
                rest = From(rest, after);
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
        for (std::int32_t time : times) {
            if (lineCount >= kMaxLines || rest.size() > budget)
                return false;
            budget -= rest.size();
            ++lineCount;
            builder.Add(rest, time);
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

int TTextLyrics::LineIndexAt(std::int32_t position) const {
    int index = -1;
    for (const TLyricTextLine& line : Lines) {
        if (!(line.Time < position))
            break;
        ++index;
    }
    return index;
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
