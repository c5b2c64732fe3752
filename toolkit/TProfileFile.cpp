#include "toolkit/TProfileFile.h"

#include "toolkit/AsciiText.h"
#include "toolkit/FileBytes.h"

#include <cstdint>
#include <limits>

namespace toolkit {
namespace {

// The blanks the profile functions drop around names and values (Ctrl-Z included, an old end-of-file mark).
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool HasLineBreakOrZero(const std::string& s) {
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// The whole text as a signed 32-bit integer: optional sign, then decimal digits, or hexadecimal digits
// after "0x" or "$".
std::optional<int> WholeInteger(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = HexDigitValue(text[i]);
        if (d < 0 || d >= base)
            return std::nullopt;
        magnitude = magnitude * base + d;
        if (magnitude > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
            return std::nullopt;
    }
    // Hexadecimal text may spell the full 32-bit pattern (0xFFFFFFFF is -1), decimal text may not.
    if (base == 16 && !negative && magnitude > std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

TProfileFile::TProfileFile(const std::string& bytes) {
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xff' && bytes[1] == '\xfe') || (bytes[0] == '\xfe' && bytes[1] == '\xff'))) {
        locked_ = true;
        lockedBytes_ = bytes;
        return;
    }
    std::size_t pos = 0;
    if (bytes.compare(0, 3, "\xef\xbb\xbf") == 0) {
        prefix_ = bytes.substr(0, 3);
        pos = 3;
    }
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        if (lf == std::string::npos) {
            lines_.push_back(Classify(bytes.substr(pos), ""));
            break;
        }
        std::size_t textEnd = lf;
        if (textEnd > pos && bytes[textEnd - 1] == '\r')
            --textEnd;
        lines_.push_back(Classify(bytes.substr(pos, textEnd - pos), bytes.substr(textEnd, lf + 1 - textEnd)));
        pos = lf + 1;
    }
}

TProfileFile::TLine TProfileFile::Classify(std::string text, std::string end) {
    TLine line;
    line.text = std::move(text);
    line.end = std::move(end);
    const std::string& t = line.text;
    std::size_t start = 0;
    while (start < t.size() && IsBlank(t[start]))
        ++start;
    if (start < t.size() && t[start] == '[') {
        const std::size_t close = t.rfind(']');
        if (close != std::string::npos && close > start) {
            line.kind = TKind::Section;
            line.name = Trim(t.substr(start + 1, close - start - 1));
            return line;
        }
    }
    const std::size_t eq = t.find('=', start);
    if (eq == std::string::npos)
        return line;
    line.name = Trim(t.substr(start, eq - start));
    if (line.name.empty())
        return line;
    line.kind = TKind::Key;
    line.value = Trim(t.substr(eq + 1));
    return line;
}

std::string TProfileFile::Bytes() const {
    if (locked_)
        return lockedBytes_;
    std::string out = prefix_;
    for (const auto& line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

long TProfileFile::FindSection(const std::string& section) const {
    const std::string wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == TKind::Section && EqualsIgnoringAsciiCase(lines_[i].name, wanted))
            return long(i);
    }
    return -1;
}

long TProfileFile::FindKey(long header, const std::string& key) const {
    const std::string wanted = Trim(key);
    for (std::size_t i = std::size_t(header) + 1; i < lines_.size(); ++i) {
        if (lines_[i].kind == TKind::Section)
            break;
        if (lines_[i].kind == TKind::Key && EqualsIgnoringAsciiCase(lines_[i].name, wanted))
            return long(i);
    }
    return -1;
}

std::optional<std::string> TProfileFile::Find(const std::string& section, const std::string& key) const {
    const long header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const long at = FindKey(header, key);
    if (at < 0)
        return std::nullopt;
    std::string value = lines_[std::size_t(at)].value;
    const std::size_t zero = value.find('\0');
    if (zero != std::string::npos)
        value = Trim(value.substr(0, zero));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string TProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& def) const {
    auto value = Find(section, key);
    return value ? *value : def;
}

unsigned TProfileFile::ReadProfileInt(const std::string& section, const std::string& key, int def) const {
    const auto value = Find(section, key);
    if (!value || value->empty())
        return static_cast<unsigned>(def);
    const std::string& t = *value;
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    unsigned base = 10;
    if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint32_t result = 0;
    for (; i < t.size() && unsigned(HexDigitValue(t[i])) < base; ++i)
        result = result * base + unsigned(HexDigitValue(t[i]));
    return negative && result != 0 ? 0u : result;
}

int TProfileFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const auto value = Find(section, key);
    if (!value)
        return def;
    return WholeInteger(*value).value_or(def);
}

bool TProfileFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TProfileFile::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& line : lines_) {
        if (line.kind == TKind::Section)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> TProfileFile::KeyNames(const std::string& section) const {
    std::vector<std::string> names;
    const long header = FindSection(section);
    if (header < 0)
        return names;
    for (std::size_t i = std::size_t(header) + 1; i < lines_.size() && lines_[i].kind != TKind::Section;
         ++i) {
        if (lines_[i].kind == TKind::Key)
            names.push_back(lines_[i].name);
    }
    return names;
}

std::string TProfileFile::NewLineEnd() const {
    for (const auto& line : lines_) {
        if (!line.end.empty())
            return line.end;
    }
    return "\r\n";
}

bool TProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (locked_)
        return false;
    const std::string sectionName = Trim(section);
    const std::string keyName = Trim(key);
    if (sectionName.empty() || HasLineBreakOrZero(sectionName) || keyName.empty() ||
        HasLineBreakOrZero(keyName) || keyName.find('=') != std::string::npos || keyName[0] == '[')
        return false;
    const std::string text = keyName + "=" + value.substr(0, value.find_first_of(std::string("\r\n\0", 3)));
    const std::string end = NewLineEnd();

    const long header = FindSection(sectionName);
    if (header >= 0) {
        const long at = FindKey(header, keyName);
        if (at >= 0) {
            // Replaced in place; the key keeps the spelling it has in the file.
            TLine& line = lines_[std::size_t(at)];
            line = Classify(line.name + text.substr(keyName.size()), line.end);
            return true;
        }
        // A new key goes after the section's last non-blank line.
        std::size_t insert = std::size_t(header) + 1;
        for (std::size_t i = insert; i < lines_.size() && lines_[i].kind != TKind::Section; ++i) {
            if (!Trim(lines_[i].text).empty())
                insert = i + 1;
        }
        if (lines_[insert - 1].end.empty())
            lines_[insert - 1].end = end;
        lines_.insert(lines_.begin() + long(insert), Classify(text, end));
        return true;
    }
    if (!lines_.empty() && lines_.back().end.empty())
        lines_.back().end = end;
    lines_.push_back(Classify("[" + sectionName + "]", end));
    lines_.push_back(Classify(text, end));
    return true;
}

bool TProfileFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool TProfileFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

TProfileFile TProfileFile::Unreadable() {
    TProfileFile profile;
    profile.locked_ = true;
    return profile;
}

TProfileFile LoadProfileFile(const std::string& path) {
    if (!FileExists(path))
        return TProfileFile();
    const auto bytes = ReadFileBytes(path);
    return bytes ? TProfileFile(*bytes) : TProfileFile::Unreadable();
}

bool SaveProfileFile(const TProfileFile& profile, const std::string& path, std::string* error,
                     TFileAccess access) {
    if (profile.IsLocked() || !WriteFileReplacing(path, profile.Bytes(), nullptr, access)) {
        if (error)
            *error = "Unable to write to " + path;
        return false;
    }
    return true;
}

} // namespace toolkit
