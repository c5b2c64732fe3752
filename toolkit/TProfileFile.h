#pragma once
// A private-profile (INI) file in memory, read and written like the Windows profile functions do:
// "[Section]" lines, "key=value" lines, section and key names matched without regard to case, blanks
// around names and values dropped on reading, no quoting or escaping on writing, CR LF or LF line ends.
// A write replaces the one key in place and leaves every other byte of the file as it was; a missing
// section is appended at the end. Parsing works on bytes; LoadProfileFile/SaveProfileFile are the edge
// where the file is opened.
//
// The object owns a copy of the file's bytes split into lines. It is a value type: copy it freely.

#include "toolkit/FileBytes.h"

#include <optional>
#include <string>
#include <vector>

namespace toolkit {

class TProfileFile {
public:
    TProfileFile() = default;
    explicit TProfileFile(const std::string& bytes);

    // The file as it would be written: the original bytes with every change applied.
    std::string Bytes() const;

    // A profile for a file that exists but could not be read. It reads as empty and refuses writes, so
    // saving it can never replace the file's contents with a few keys.
    static TProfileFile Unreadable();

    // A file stored as UTF-16, or an unreadable one: it reads as empty and refuses writes, so it is never
    // damaged by mixing in single-byte lines or by being cut down.
    bool IsLocked() const { return locked_; }

    // The value of the first key of that name in the first section of that name, or nothing. Like
    // GetPrivateProfileString: trimmed, cut at a zero byte, one pair of matching surrounding quotes
    // (" or ') removed.
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Like GetPrivateProfileInt: the leading digits of the value (decimal, or hexadecimal after "0x"),
    // 0 when there are none or the number is negative; def when the key is missing or empty.
    unsigned ReadProfileInt(const std::string& section, const std::string& key, int def) const;
    // The whole value as a signed 32-bit integer (decimal, or hexadecimal after "0x" or "$"), def when it
    // is missing or is not exactly an integer.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // Any integer other than 0 is true; def when the value is not an integer.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Section names in file order, as written (trimmed); repeated names are listed each time.
    std::vector<std::string> SectionNames() const;
    // Key names of the first section of that name, in file order, as written (trimmed).
    std::vector<std::string> KeyNames(const std::string& section) const;

    // Like WritePrivateProfileString. The value is written as it is, cut at its first line break or zero
    // byte. False (and nothing changes) for an empty or unusable section or key name (line breaks, '='
    // in a key, a key starting with '[') or a locked profile.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    bool WriteBool(const std::string& section, const std::string& key, bool value);

private:
    enum class TKind { Other, Section, Key };
    struct TLine {
        std::string text; // without its line end
        std::string end;  // "\r\n", "\n" or "" (last line without a line break)
        TKind kind = TKind::Other;
        std::string name;  // section or key name, trimmed
        std::string value; // key value, trimmed
    };

    static TLine Classify(std::string text, std::string end);
    // Index of the first section header of that name, or -1.
    long FindSection(const std::string& section) const;
    // Index of the first key of that name inside the section starting at header, or -1.
    long FindKey(long header, const std::string& key) const;
    std::string NewLineEnd() const;

    std::string prefix_; // a UTF-8 byte order mark, kept as it was
    std::vector<TLine> lines_;
    bool locked_ = false;
    std::string lockedBytes_;
};

// Reads the file; a missing file gives an empty profile, an unreadable one a locked profile.
TProfileFile LoadProfileFile(const std::string& path);
// Writes the profile in place of the file in one step (see WriteFileReplacing). On failure error gets the
// text "Unable to write to " followed by the path.
// access: who may read the file (see TFileAccess).
bool SaveProfileFile(const TProfileFile& profile, const std::string& path, std::string* error = nullptr,
                     TFileAccess access = TFileAccess::Shared);

} // namespace toolkit
