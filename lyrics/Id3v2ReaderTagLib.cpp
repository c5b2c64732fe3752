// The ID3v2 reader on TagLib.
#include "lyrics/Id3v2Reader.h"

#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include <id3v2frame.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <textidentificationframe.h>
#include <tfilestream.h>
#include <unsynchronizedlyricsframe.h>

#include <memory>

namespace lyrics {
namespace {

std::string ToActive(const TagLib::String& text, TagLib::String::Type encoding) {
    if (encoding == TagLib::String::Latin1)
        return toolkit::EightBitToActive(text.to8Bit(false));
    return toolkit::Utf8ToActive(text.to8Bit(true));
}

// Opens the file read-only and parses the ID3v2 tag at its start (no audio properties). A file that does not
// start with a tag is not handed to TagLib, which would scan it for one.
class TTagFile {
public:
    explicit TTagFile(const std::string& fileName) : Stream_(toolkit::FilePath(fileName).c_str(), true) {
        if (!Stream_.isOpen() || Stream_.readBlock(3) != TagLib::ByteVector("ID3", 3))
            return;
        Stream_.seek(0);
        File_ =
            std::make_unique<TagLib::MPEG::File>(&Stream_, TagLib::ID3v2::FrameFactory::instance(), false);
    }
    TagLib::ID3v2::Tag* Tag() const {
        if (!File_ || !File_->isValid() || !File_->hasID3v2Tag())
            return nullptr;
        return File_->ID3v2Tag(false);
    }

private:
    TagLib::FileStream Stream_;
    std::unique_ptr<TagLib::MPEG::File> File_;
};

} // namespace

bool Id3v2ReaderAvailable() {
    return true;
}

bool ReadId3v2Names(const std::string& fileName, TId3v2Names& names) {
    names = {};
    TTagFile file(fileName);
    const TagLib::ID3v2::Tag* tag = file.Tag();
    if (!tag)
        return false;
    const TagLib::ID3v2::FrameListMap& frames = tag->frameListMap();
    auto title = frames.find("TIT2");
    if (title != frames.end() && !title->second.isEmpty()) {
        if (auto* frame = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(title->second.front()))
            names.Title = ToActive(frame->toString(), frame->textEncoding());
    }
    auto artist = frames.find("TPE1");
    if (artist != frames.end() && !artist->second.isEmpty()) {
        if (auto* frame = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(artist->second.front())) {
            const TagLib::StringList fields = frame->fieldList();
            if (!fields.isEmpty())
                names.Artist = ToActive(fields.front(), frame->textEncoding());
        }
    }
    return true;
}

std::string ReadId3v2LyricsText(const std::string& fileName) {
    TTagFile file(fileName);
    const TagLib::ID3v2::Tag* tag = file.Tag();
    if (!tag)
        return {};
    const TagLib::ID3v2::FrameListMap& frames = tag->frameListMap();
    auto lyrics = frames.find("USLT"); // TagLib gives ID3v2.2 ULT frames this name
    if (lyrics == frames.end() || lyrics->second.isEmpty())
        return {};
    auto* frame = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(lyrics->second.front());
    return frame ? ToActive(frame->text(), frame->textEncoding()) : std::string();
}

} // namespace lyrics
