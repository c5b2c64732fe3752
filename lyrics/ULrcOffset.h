#pragma once
// The "[offset:N]" tag of a lyrics file, written back when the user shifts the lyrics while they play. The
// rewrite touches only the tag: every other byte of the file stays as it was, in whatever encoding the file
// uses (single-byte, UTF-8, or UTF-16 of either byte order after its mark).

#include <cstdint>
#include <string>

namespace lyrics {

// The file's bytes with its offset tag set to offset (ms; "+N" for a positive one): the value of every
// "[offset:" group at the start of a line (or right after another group) is replaced; a file without one gets
// the line "[offset:N]" at its top, with the file's own line break. A file without a tag and an offset of 0
// is returned unchanged.
std::string WithOffsetTag(const std::string& bytes, std::int32_t offset);

// Rewrites the lyrics file with the offset tag in one step (a new file renamed into place). Nothing is
// written when the bytes would not change. False, with a short English text in error (if given), when the
// file cannot be read, is larger than a lyrics file is read, or cannot be replaced; the file is then as it
// was.
bool SaveOffsetTag(const std::string& fileName, std::int32_t offset, std::string* error = nullptr);

// The notice shown while the offset changes: "Offset +0.3 s", "Offset -1.2 s", "Offset 0.0 s" (tenths of a
// second, rounded to the nearest).
std::string OffsetNotice(std::int32_t offset);

} // namespace lyrics
