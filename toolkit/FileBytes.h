#pragma once
// Bounded file reading for the parsers, which take bytes: the head of a file up to a limit, and random access
// to a file or to memory through one small interface, so tests and fuzzers feed bytes where the program
// reads files. Files are opened for reading only, and closed when the reader goes.

#include <cstdint>
#include <fstream>
#include <string>

namespace toolkit {

// Reads at most maxBytes from the start of the file into bytes. truncated (if given) tells whether the file
// held more. False, with the system's error text in error (if given), when the file cannot be opened or read.
bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& bytes, bool* truncated = nullptr,
                  std::string* error = nullptr);

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
