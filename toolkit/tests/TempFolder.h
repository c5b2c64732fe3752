#pragma once
// A fresh temporary folder for one test, removed with everything in it when the test ends. Paths use the
// platform's separator and end without one.

#include "toolkit/FileBytes.h"

#include "platform/Platform.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace testing_support {

class TTempFolder {
public:
    TTempFolder() {
        std::random_device device;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = base / ("cantrel-test-" + std::to_string(device()));
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate.string();
                return;
            }
        }
        throw std::runtime_error("no temporary folder");
    }
    ~TTempFolder() {
        std::error_code ec;
        MakeWritable(path_);
        std::filesystem::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The folder's path joined with a name, with the platform's separator.
    std::string operator/(const std::string& name) const { return path_ + platform::PathSeparator() + name; }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream out(toolkit::FilePath(path), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(toolkit::FilePath(path), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    static void MakeWritable(const std::string& path) {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
    }

    std::string path_;
};

} // namespace testing_support
