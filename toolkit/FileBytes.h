#pragma once
// Whole-file reads and safe whole-file replacement. Parsers in the core take bytes; these are the edge
// where files are opened. Paths are built with the platform's separator and are not text of the program's
// code page: on Linux they are the file system's own bytes, on Windows UTF-8 (the file system's UTF-16
// without loss). Only what is shown of a path goes through the character set.
// Also bounded reading: the head of a file up to a limit, and random access to a file or to memory through
// one small interface, so tests and fuzzers feed bytes where the program reads files.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace toolkit {

// A program path as a file-system path and back, without conversion on Linux and through UTF-8 on Windows.
std::filesystem::path FilePath(const std::string& path);
std::string PathString(const std::filesystem::path& path);
// A path as text of the active code page, for showing it.
std::string DisplayPath(const std::string& path);

// Files larger than this are not read: profile files and song lists are small, and a runaway file must
// not take the program's memory.
constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

// The whole file, or nothing when it is missing, not a regular file, unreadable or larger than maxBytes.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes = kMaxFileBytes);

bool FileExists(const std::string& path);

// True when the file exists and carries the read-only mark (no write permission at all), or cannot be
// opened for writing.
bool IsFileReadOnly(const std::string& path);

// Who may read a file that is written.
enum class TFileAccess {
    Shared,   // as the system makes new files (the umask on Linux); a replaced file keeps its mode
    OwnerOnly // the owner only (mode 0600 on Linux): files that hold a password
};

// Replaces the file's contents in one step: the bytes go to a new file beside it, flushed to the disk, which
// then takes the old file's place by a rename, so a failure or a crash at any point leaves the previous file
// whole. A symbolic link stays a link: the file it points to is the one replaced. A read-only file is left
// alone and counts as a failure. On failure, error (when given) gets a short English text naming the file and,
// where the system gives one, its reason ("Cannot write x: Permission denied").
bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* error = nullptr,
                        TFileAccess access = TFileAccess::Shared);

// Creates a file that does not exist yet, whole or not at all: the bytes go to a new file beside it, which
// then takes the name only if no file has it (a hard link, which never replaces; where the file system has
// none, a rename after a last check). False, with a short English text in error (when given), when the name
// is taken or anything fails; nothing is left behind then.
bool WriteNewFile(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Creates the folder and its missing parents. True when it exists as a folder afterwards.
bool EnsureFolder(const std::string& path);

// True when a new file can be created in the folder (tried with a probe file that is removed again).
bool IsFolderWritable(const std::string& folder);

// Reads at most maxBytes from the start of the file into bytes. truncated (if given) tells whether the file
// held more. False, with the system's error text in error (if given), when the file cannot be opened or read.
bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& bytes,
                  bool* truncated = nullptr, std::string* error = nullptr);

class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly count bytes at offset; false (out untouched or partly filled) when they are not all there.
    virtual bool ReadAt(std::uint64_t offset, std::size_t count, std::string& out) = 0;
};

// Bytes held by the caller, who keeps them alive.
class TMemoryByteSource : public IByteSource {
public:
    explicit TMemoryByteSource(const std::string& bytes) : Bytes_(bytes) {}
    std::uint64_t Size() const override { return Bytes_.size(); }
    bool ReadAt(std::uint64_t offset, std::size_t count, std::string& out) override;

private:
    const std::string& Bytes_;
};

class TFileByteSource : public IByteSource {
public:
    explicit TFileByteSource(const std::string& path);
    bool IsOpen() const { return Open_; }
    std::uint64_t Size() const override { return Size_; }
    bool ReadAt(std::uint64_t offset, std::size_t count, std::string& out) override;

private:
    std::ifstream File_;
    std::uint64_t Size_ = 0;
    bool Open_ = false;
};

} // namespace toolkit
