#include "lyrics/Id3v1Reader.h"

#include "toolkit/CodePage.h"

namespace lyrics {
namespace {

std::string Field(const std::string& tag, std::size_t offset, std::size_t size) {
    std::string field = tag.substr(offset, size);
    return toolkit::EightBitToActive(field.substr(0, field.find('\0')));
}

} // namespace

bool ReadId3v1Names(toolkit::IByteSource& source, TId3v1Names& names) {
    names = {};
    std::string tag;
    if (source.Size() < 128 || !source.ReadAt(source.Size() - 128, 128, tag) || tag.compare(0, 3, "TAG") != 0)
        return false;
    names.Title = Field(tag, 3, 30);
    names.Artist = Field(tag, 33, 30);
    return true;
}

bool ReadId3v1Names(const std::string& fileName, TId3v1Names& names) {
    toolkit::TFileByteSource source(fileName);
    return ReadId3v1Names(source, names);
}

} // namespace lyrics
