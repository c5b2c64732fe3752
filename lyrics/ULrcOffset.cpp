#include "lyrics/ULrcOffset.h"

#include "lyrics/UTextLyrics.h"

#include "toolkit/FileBytes.h"

#include <cstdlib>
#include <string_view>
#include <type_traits>

namespace lyrics {
namespace {

std::string OffsetValue(std::int32_t offset) {
    return offset > 0 ? "+" + std::to_string(offset) : std::to_string(offset);
}

template <typename TChar> bool IsBlank(TChar c) {
    return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<TChar>>(c)) <= 32;
}

template <typename TChar> TChar Lower(TChar c) {
    return c >= TChar('A') && c <= TChar('Z') ? TChar(c + ('a' - 'A')) : c;
}

// Sets the offset in text units (bytes, or UTF-16 code units): see WithOffsetTag.
template <typename TChar>
std::basic_string<TChar> SetOffsetIn(const std::basic_string<TChar>& text, std::int32_t offset) {
    using TString = std::basic_string<TChar>;
    const std::string value8 = OffsetValue(offset);
    const TString value(value8.begin(), value8.end());
    static const char kKey[] = "[offset:";
    const std::size_t keyLength = sizeof(kKey) - 1;
    auto isKeyAt = [&](std::size_t at, std::size_t end) {
        if (end - at < keyLength)
            return false;
        for (std::size_t k = 0; k < keyLength; ++k)
            if (Lower(text[at + k]) != TChar(kKey[k]))
                return false;
        return true;
    };

    TString out;
    out.reserve(text.size() + 32);
    bool found = false;
    TString lineBreak;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != TChar('\r') && text[end] != TChar('\n'))
            ++end;
        std::size_t next = end;
        if (end < text.size()) {
            next =
                end +
                (text[end] == TChar('\r') && end + 1 < text.size() && text[end + 1] == TChar('\n') ? 2 : 1);
            if (lineBreak.empty())
                lineBreak = text.substr(end, next - end);
        }
        // Copy the line, replacing the value of each offset group that starts it or follows another group.
        std::size_t i = start;
        while (i < end && IsBlank(text[i]))
            ++i;
        out.append(text, start, i - start);
        const std::size_t first = i;
        while (i < end) {
            if (isKeyAt(i, end) && (i == first || text[i - 1] == TChar(']'))) {
                std::size_t close = i + keyLength;
                while (close < end && text[close] != TChar(']'))
                    ++close;
                out.append(text, i, keyLength);
                out += value;
                out += TChar(']');
                i = close < end ? close + 1 : end;
                found = true;
                continue;
            }
            out += text[i++];
        }
        out.append(text, end, next - end);
        if (next == end)
            break;
        start = next;
    }
    if (found || offset == 0)
        return found ? out : text;
    if (lineBreak.empty())
        lineBreak = {TChar('\r'), TChar('\n')};
    const std::string tag8 = std::string(kKey) + value8 + "]";
    return TString(tag8.begin(), tag8.end()) + lineBreak + text;
}

} // namespace

std::string WithOffsetTag(const std::string& bytes, std::int32_t offset) {
    const std::string_view view(bytes);
    if (view.substr(0, 2) == "\xFF\xFE" || view.substr(0, 2) == "\xFE\xFF") {
        const bool bigEndian = bytes[0] == '\xFE';
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
            units.push_back(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a));
        }
        const std::u16string changed = SetOffsetIn(units, offset);
        std::string out = bytes.substr(0, 2);
        for (char16_t c : changed) {
            const char hi = char(c >> 8), lo = char(c & 0xFF);
            out += bigEndian ? hi : lo;
            out += bigEndian ? lo : hi;
        }
        if (bytes.size() % 2 == 1) // an odd last byte stays
            out += bytes.back();
        return out;
    }
    const std::size_t mark = view.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    return bytes.substr(0, mark) + SetOffsetIn(bytes.substr(mark), offset);
}

bool SaveOffsetTag(const std::string& fileName, std::int32_t offset, std::string* error) {
    std::string bytes;
    bool truncated = false;
    if (!toolkit::ReadFileHead(fileName, TTextLyrics::kMaxFileBytes, bytes, &truncated, error))
        return false;
    if (truncated) {
        if (error)
            *error = "The lyrics file is too large";
        return false;
    }
    const std::string changed = WithOffsetTag(bytes, offset);
    return changed == bytes || toolkit::WriteFileReplacing(fileName, changed, error);
}

std::string OffsetNotice(std::int32_t offset) {
    const std::int64_t tenths = (std::llabs(std::int64_t(offset)) + 50) / 100;
    std::string text = "Offset ";
    if (tenths != 0)
        text += offset > 0 ? "+" : "-";
    return text + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

} // namespace lyrics
