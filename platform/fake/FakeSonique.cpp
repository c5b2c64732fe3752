#include "platform/fake/FakeSonique.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {
const char* const kBlockName = "SoniqueInformation";
const char* const kEventName = "SoniqueInformationEvent";
constexpr std::size_t kLengthOffset = 8;
constexpr std::size_t kPositionOffset = 12;
} // namespace

TFakeSonique::TFakeSonique(TFakeWindowSystem& windows, TFakeNamedObjects& named, bool withWindow)
    : Windows_(windows), Named_(named), Block_(named.Block(kBlockName, kBlockSize)) {
    if (withWindow)
        Window_ = Windows_.AddWindow("Sonique Window Class", "Sonique");
}

TFakeSonique::~TFakeSonique() {
    Quit();
}

void TFakeSonique::SetPath(const std::string& path) {
    if (Block_->size() < kBlockSize)
        return;
    unsigned char* bytes = Block_->data() + kPathOffset;
    const std::size_t n = std::min(path.size(), kPathBytes);
    std::memset(bytes, 0, kPathBytes);
    std::memcpy(bytes, path.data(), n);
}

void TFakeSonique::WriteInt(std::size_t offset, std::int32_t value) {
    if (Block_->size() >= offset + sizeof value)
        std::memcpy(Block_->data() + offset, &value, sizeof value);
}

void TFakeSonique::SetPositionMs(std::int32_t ms) {
    WriteInt(kPositionOffset, ms);
}

void TFakeSonique::SetLengthMs(std::int32_t ms) {
    WriteInt(kLengthOffset, ms);
}

std::int32_t TFakeSonique::Header() const {
    std::int32_t value = 0;
    if (Block_->size() >= sizeof value)
        std::memcpy(&value, Block_->data(), sizeof value);
    return value;
}

void TFakeSonique::Announce() {
    Named_.Signal(kEventName);
}

void TFakeSonique::Quit() {
    if (Window_ != kNoWindow)
        Windows_.RemoveWindow(Window_);
    Window_ = kNoWindow;
}

} // namespace platform
