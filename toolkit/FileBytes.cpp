#include "toolkit/FileBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error)
            *error = SystemErrorText();
        return false;
    }
    // Read in steps, so a file that lies about its size (or has none, like a pipe) costs no more than the limit.
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

TFileByteSource::TFileByteSource(const std::string& path) : File_(path, std::ios::binary) {
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
