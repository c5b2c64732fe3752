#include "toolkit/FileBytes.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace toolkit {
namespace fs = std::filesystem;

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(fs::path(path), ec))
        return std::nullopt;
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    while (in) {
        in.read(buffer, sizeof buffer);
        const auto n = static_cast<std::size_t>(in.gcount());
        if (bytes.size() + n > maxBytes)
            return std::nullopt;
        bytes.append(buffer, n);
    }
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(fs::path(path), ec);
}

bool IsFileReadOnly(const std::string& path) {
    std::error_code ec;
    const auto status = fs::status(fs::path(path), ec);
    if (ec || !fs::exists(status))
        return false;
    const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writeBits) == fs::perms::none)
        return true;
    // Opening for appending changes nothing in the file but tells whether we may write it.
    std::ofstream probe(fs::path(path), std::ios::binary | std::ios::app);
    return !probe.is_open();
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* error) {
    const auto fail = [&](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };
    if (path.empty())
        return fail("No file name");
    const fs::path target(path);
    std::error_code ec;
    const bool existed = fs::exists(target, ec);
    if (existed && !fs::is_regular_file(target, ec))
        return fail("Not a file: " + path);
    if (existed && IsFileReadOnly(path))
        return fail("The file is read-only: " + path);

    const fs::path temporary(path + ".~new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.is_open())
            return fail("Cannot create " + temporary.string());
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out.good()) {
            out.close();
            fs::remove(temporary, ec);
            return fail("Cannot write " + temporary.string());
        }
        out.close();
        if (out.fail()) {
            fs::remove(temporary, ec);
            return fail("Cannot write " + temporary.string());
        }
    }
    // The new file keeps the old one's permissions (a file holding a password stays private).
    if (existed) {
        const auto perms = fs::status(target, ec).permissions();
        if (!ec)
            fs::permissions(temporary, perms, ec);
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return fail("Cannot replace " + path + ": " + ec.message());
    }
    return true;
}

bool EnsureFolder(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(fs::path(path), ec);
    return fs::is_directory(fs::path(path), ec);
}

bool IsFolderWritable(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(fs::path(folder), ec))
        return false;
    fs::path probe = fs::path(folder) / ".cantrel-write-probe";
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
