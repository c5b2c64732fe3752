#pragma once
// Whole-file reads and safe whole-file replacement. Parsers in the core take bytes; these are the edge
// where files are opened. Paths are single-byte text built with the platform's separator.

#include <cstddef>
#include <optional>
#include <string>

namespace toolkit {

// Files larger than this are not read: profile files and song lists are small, and a runaway file must
// not take the program's memory.
constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

// The whole file, or nothing when it is missing, not a regular file, unreadable or larger than maxBytes.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes = kMaxFileBytes);

bool FileExists(const std::string& path);

// True when the file exists and carries the read-only mark (no write permission at all), or cannot be
// opened for writing.
bool IsFileReadOnly(const std::string& path);

// Replaces the file's contents in one step: the bytes go to a new file beside it, which then takes the
// old file's place by a rename, so a failure at any point leaves the previous file whole. A read-only
// file is left alone and counts as a failure. On failure, error (when given) gets a short English text.
bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Creates the folder and its missing parents. True when it exists as a folder afterwards.
bool EnsureFolder(const std::string& path);

// True when a new file can be created in the folder (tried with a probe file that is removed again).
bool IsFolderWritable(const std::string& folder);

} // namespace toolkit
