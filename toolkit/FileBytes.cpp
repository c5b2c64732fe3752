#include "toolkit/FileBytes.h"

#include "toolkit/CodePage.h"

#include "platform/DurableFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace toolkit {
namespace fs = std::filesystem;

fs::path FilePath(const std::string& path) {
    try {
        return fs::u8path(path);
    } catch (...) {
        // Not UTF-8 (only possible on Windows, from an old settings file): the system's 8-bit code page.
        return fs::path(path);
    }
}

std::string PathString(const fs::path& path) {
    return path.u8string();
}

std::string DisplayPath(const std::string& path) {
    // A name that is not UTF-8 (an old Linux file system) is shown byte for byte as Windows-1252.
    const bool utf8 = IsMultiByteUtf8(path);
    const std::string asUtf8 = utf8 ? path : CodePageToUtf8(path, 1252);
    return Utf8ToActive(asUtf8);
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(FilePath(path), ec))
        return std::nullopt;
    std::string bytes;
    bool truncated = false;
    if (!ReadFileHead(path, maxBytes, bytes, &truncated) || truncated)
        return std::nullopt;
    return bytes;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(FilePath(path), ec);
}

bool IsFileReadOnly(const std::string& path) {
    std::error_code ec;
    const auto status = fs::status(FilePath(path), ec);
    if (ec || !fs::exists(status))
        return false;
    const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writeBits) == fs::perms::none)
        return true;
    // Opening for appending changes nothing in the file but tells whether we may write it.
    std::ofstream probe(FilePath(path), std::ios::binary | std::ios::app);
    return !probe.is_open();
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* error,
                        TFileAccess access) {
    const auto fail = [&](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };
    if (path.empty())
        return fail("No file name");
    std::error_code ec;
    // A link (a settings file kept with the user's other dotfiles) stays where it is: the file it points to
    // is replaced, beside itself, so the rename stays on one file system.
    fs::path target = FilePath(path);
    for (int hops = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
        if (hops == 40)
            return fail("Too many symbolic links: " + DisplayPath(path));
        const fs::path link = fs::read_symlink(target, ec);
        if (ec)
            return fail("Cannot read the link " + DisplayPath(PathString(target)));
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    const std::string targetPath = PathString(target);
    const bool existed = fs::exists(target, ec);
    if (existed && !fs::is_regular_file(target, ec))
        return fail("Not a file: " + DisplayPath(targetPath));
    if (existed && IsFileReadOnly(targetPath))
        return fail("The file is read-only: " + DisplayPath(targetPath));

    const bool ownerOnly = access == TFileAccess::OwnerOnly;
    const std::string temporaryPath = targetPath + ".~new";
    const fs::path temporary = FilePath(temporaryPath);
    fs::remove(temporary, ec); // a leftover of an interrupted write, never followed if it is a link
    std::string writeError;
    if (!platform::WriteFileToDisk(temporaryPath, bytes, ownerOnly, &writeError)) {
        fs::remove(temporary, ec);
        return fail("Cannot write " + DisplayPath(path) + ": " + writeError);
    }
    // The new file keeps the old one's mode; a private file never gains rights for others.
    if (existed) {
        auto perms = fs::status(target, ec).permissions();
        if (!ec) {
            if (ownerOnly)
                perms &= fs::perms::owner_all;
            fs::permissions(temporary, perms, ec);
        }
    }
    std::string moveError;
    if (!platform::MoveFileReplacing(temporaryPath, targetPath, &moveError)) {
        fs::remove(temporary, ec);
        return fail("Cannot replace " + DisplayPath(path) + ": " + moveError);
    }
    return true;
}

bool WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) {
    const auto fail = [&](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };
    if (path.empty())
        return fail("No file name");
    const fs::path target = FilePath(path);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec)))
        return fail("The file exists: " + DisplayPath(path));
    const fs::path temporary = FilePath(path + ".~new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.is_open())
            return fail("Cannot create " + DisplayPath(PathString(temporary)));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out.fail()) {
            fs::remove(temporary, ec);
            return fail("Cannot write " + DisplayPath(PathString(temporary)));
        }
    }
    std::error_code linkError;
    fs::create_hard_link(temporary, target, linkError);
    if (!linkError) {
        fs::remove(temporary, ec);
        return true;
    }
    if (!fs::exists(fs::symlink_status(target, ec))) {
        fs::rename(temporary, target, ec);
        if (!ec)
            return true;
    }
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return fail(fs::exists(fs::symlink_status(target, ignored)) ? "The file exists: " + DisplayPath(path)
                                                                : "Cannot create " + DisplayPath(path));
}

bool EnsureFolder(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(FilePath(path), ec);
    return fs::is_directory(FilePath(path), ec);
}

bool IsFolderWritable(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(FilePath(folder), ec))
        return false;
    fs::path probe = FilePath(folder) / ".cantrel-write-probe";
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        if (!out.is_open())
            return false;
        out << 'x';
        if (!out.good())
            return false;
    }
    fs::remove(probe, ec);
    return true;
}

} // namespace toolkit

// Bounded reading.

namespace toolkit {
namespace {

std::string SystemErrorText() {
    const int code = errno;
    return code != 0 ? std::strerror(code) : "The file cannot be read";
}

} // namespace

bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& bytes, bool* truncated,
                  std::string* error) {
    bytes.clear();
    if (truncated)
        *truncated = false;
    errno = 0;
    std::ifstream file(FilePath(path), std::ios::binary);
    if (!file) {
        if (error)
            *error = SystemErrorText();
        return false;
    }
    // Read in steps, so a file that lies about its size (or has none, like a pipe) costs no more than the
    // limit.
    constexpr std::size_t kStep = 64 * 1024;
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(kStep, maxBytes - bytes.size());
        const std::size_t old = bytes.size();
        bytes.resize(old + want);
        file.read(&bytes[old], static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(file.gcount());
        bytes.resize(old + got);
        if (got < want) {
            if (file.bad() || (!file.eof() && file.fail())) {
                if (error)
                    *error = SystemErrorText();
                bytes.clear();
                return false;
            }
            return true;
        }
    }
    if (truncated)
        *truncated = file.peek() != std::char_traits<char>::eof();
    return true;
}

bool TMemoryByteSource::ReadAt(std::uint64_t offset, std::size_t count, std::string& out) {
    if (offset > Bytes_.size() || count > Bytes_.size() - offset)
        return false;
    out.assign(Bytes_, static_cast<std::size_t>(offset), count);
    return true;
}

TFileByteSource::TFileByteSource(const std::string& path) : File_(FilePath(path), std::ios::binary) {
    if (!File_)
        return;
    File_.seekg(0, std::ios::end);
    const std::streamoff end = File_.tellg();
    if (!File_ || end < 0)
        return;
    Size_ = static_cast<std::uint64_t>(end);
    Open_ = true;
}

bool TFileByteSource::ReadAt(std::uint64_t offset, std::size_t count, std::string& out) {
    if (!Open_ || offset > Size_ || count > Size_ - offset)
        return false;
    out.resize(count);
    if (count == 0)
        return true;
    File_.clear();
    File_.seekg(static_cast<std::streamoff>(offset));
    File_.read(&out[0], static_cast<std::streamsize>(count));
    return File_ && static_cast<std::size_t>(File_.gcount()) == count;
}

} // namespace toolkit
