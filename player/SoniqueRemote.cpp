#include "player/SoniqueRemote.h"

#include "lyrics/Id3v1Reader.h"
#include "lyrics/TextHelpers.h"
#include "toolkit/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>

namespace player {

const char* const kSoniqueWindowClass = "Sonique Window Class";
const char* const kSoniqueBlockName = "SoniqueInformation";
const char* const kSoniqueEventName = "SoniqueInformationEvent";

namespace {

// The key-up parameter of a key that was down: repeat count 1, previous state down, being released.
constexpr std::intptr_t kKeyUpParam = std::intptr_t(0xC0000001u);
// The key of "C" on a US layout, for a layout on which no key types "c".
constexpr std::int32_t kPauseKeyFallback = 67;

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(toolkit::FilePath(path), ec);
}

} // namespace

std::string SoniqueFileTitle(const std::string& path) {
    // The player's paths are Windows paths: the folder ends at the last "\", "/" or drive ":".
    const auto folderEnd = path.find_last_of("\\/:");
    std::string name = folderEnd == std::string::npos ? path : path.substr(folderEnd + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string SoniquePathFromBlock(const unsigned char* bytes, std::size_t size) {
    const auto* end = bytes + size;
    const auto* zero = std::find(bytes, end, 0);
    // No zero among the path bytes: the block holds no path that can be trusted.
    if (zero == end)
        return {};
    return std::string(reinterpret_cast<const char*>(bytes), std::size_t(zero - bytes));
}

// The worker thread.

TWaitInfoChangedThread::TWaitInfoChangedThread(platform::INamedObjects& named, std::function<void()> refresh)
    : Named_(named), Refresh_(std::move(refresh)), Thread_([this] { Run(); }) {}

TWaitInfoChangedThread::~TWaitInfoChangedThread() {
    Stop_ = true;
    if (Thread_.joinable())
        Thread_.join();
}

void TWaitInfoChangedThread::Run() {
    const std::unique_ptr<platform::INamedEvent> event = Named_.OpenAutoResetEvent(kSoniqueEventName);
    // Without the event nothing will ever announce a change: the information stays as read when connecting.
    if (!event)
        return;
    while (!Stop_) {
        if (event->Wait(kWaitMs) && !Stop_)
            Refresh_();
    }
}

// The component.

TSoniqueRemote::TSoniqueRemote(platform::IWindowSystem& windows, platform::INamedObjects& named)
    : Windows_(windows), Named_(named) {}

TSoniqueRemote::~TSoniqueRemote() {
    Disconnect();
}

platform::WindowHandle TSoniqueRemote::FindSoniqueWindow() {
    return Windows_.FindWindowOfClass(kSoniqueWindowClass);
}

void TSoniqueRemote::Connect() {
    if (Connected())
        return;
    Block_ = Named_.OpenSharedMemory(kSoniqueBlockName, kSoniqueBlockSize);
    if (!Block_)
        return;
    std::memcpy(Block_->Data() + kSoniqueHeaderOffset, &kSoniqueHeaderValue, sizeof kSoniqueHeaderValue);
    Worker_ = std::make_unique<TWaitInfoChangedThread>(Named_, [this] { RefreshInformation(); });
    RefreshInformation();
}

void TSoniqueRemote::Disconnect() {
    Worker_.reset(); // waits for the thread to end
    Block_.reset();
}

std::int32_t TSoniqueRemote::ReadInt(std::size_t offset) const {
    if (!Block_)
        return 0;
    std::int32_t value = 0;
    std::memcpy(&value, Block_->Data() + offset, sizeof value);
    return value;
}

std::int32_t TSoniqueRemote::PositionMs() const {
    return ReadInt(kSoniquePositionOffset);
}

std::int32_t TSoniqueRemote::LengthMs() const {
    return ReadInt(kSoniqueLengthOffset);
}

TSoniqueInformation TSoniqueRemote::Information() const {
    std::lock_guard<std::mutex> lock(TextLock_);
    return Information_;
}

void TSoniqueRemote::RefreshInformation() {
    std::lock_guard<std::mutex> refreshing(RefreshLock_);
    if (!Block_)
        return;
    // Copy the path bytes out first: the player may rewrite them while they are looked at.
    unsigned char pathBytes[kSoniquePathSize];
    std::memcpy(pathBytes, Block_->Data() + kSoniquePathOffset, kSoniquePathSize);
    // The player writes the path in the system's 8-bit code page.
    std::string file = platform::PathFromSystemFileName(SoniquePathFromBlock(pathBytes, kSoniquePathSize));

    // A missing file, a folder, a file without a tag or one that cannot be read count as a tag of blanks.
    lyrics::TId3v1Names names;
    if (!IsRegularFile(file) || !lyrics::ReadId3v1Names(file, names))
        names = {};
    // The tag reader gives text of the active code page; the file's name is shown through it too.
    std::string title = lyrics::Trim(names.Title);
    std::string artist = lyrics::Trim(names.Artist);
    if (title.empty() && artist.empty())
        title = toolkit::DisplayPath(SoniqueFileTitle(file));

    TSoniqueInformation information{std::move(file), std::move(title), std::move(artist)};
    std::lock_guard<std::mutex> lock(TextLock_);
    std::swap(Information_, information); // the old texts are freed after the lock is let go
}

void TSoniqueRemote::PressKey(std::int32_t virtualKey, char character) {
    const platform::WindowHandle window = FindSoniqueWindow();
    if (window == platform::kNoWindow)
        return;
    const auto key = std::uintptr_t(virtualKey);
    Windows_.Post(window, platform::WM_KEYDOWN_, key, 1);
    Windows_.Post(window, platform::WM_CHAR_, std::uintptr_t(static_cast<unsigned char>(character)), 1);
    Windows_.Post(window, platform::WM_KEYUP_, key, kKeyUpParam);
}

void TSoniqueRemote::Next() {
    PressKey('B', 'b');
}

void TSoniqueRemote::Pause() {
    const std::int32_t key = Windows_.VirtualKeyOfChar('c');
    PressKey(key < 0 ? kPauseKeyFallback : key, 'C');
    State_ = TSoniqueState::Paused;
}

void TSoniqueRemote::Play() {
    if (State_ != TSoniqueState::Playing)
        PressKey('X', 'x');
    State_ = TSoniqueState::Playing;
}

void TSoniqueRemote::Prev() {
    PressKey('Z', 'z');
}

void TSoniqueRemote::Stop() {
    PressKey('V', 'v');
    State_ = TSoniqueState::Stopped;
}

void TSoniqueRemote::VolumeUp() {
    PressKey(38, 'F');
}

void TSoniqueRemote::VolumeDown() {
    PressKey(40, 'H');
}

void TSoniqueRemote::Jump() {
    PressKey('J', 'j');
}

} // namespace player
