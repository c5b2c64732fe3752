#pragma once
// Sonique driver, the component: Sonique is controlled by key presses posted to its window, and tells the
// playing file, position and length through the shared block "SoniqueInformation", announcing each change
// through the event "SoniqueInformationEvent". Title and artist come from the playing file's ID3v1 tag.
//
// TSoniqueRemote maps the block when connected and keeps a worker thread, TWaitInfoChangedThread, that waits
// for the event and refreshes the playing file, title and artist. The refresh builds the three texts on its
// own thread and swaps them in under a lock; the readers copy them under the same lock, so a reader on the
// user-interface thread always sees the three of one refresh. Position and length are read from the block
// on every call, without a lock: another process writes them.
//
// The driver never starts, hides or closes the player. It keeps the window system and the named objects it
// was given; both must outlive it.

#include "platform/Platform.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace player {

extern const char* const kSoniqueWindowClass; // "Sonique Window Class"
extern const char* const kSoniqueBlockName;   // "SoniqueInformation"
extern const char* const kSoniqueEventName;   // "SoniqueInformationEvent"

// The block's layout.
constexpr std::size_t kSoniqueBlockSize = 1317;
constexpr std::size_t kSoniqueHeaderOffset = 0; // the driver writes kSoniqueHeaderValue here
constexpr std::int32_t kSoniqueHeaderValue = 1316;
constexpr std::size_t kSoniqueLengthOffset = 8;    // ms
constexpr std::size_t kSoniquePositionOffset = 12; // ms
constexpr std::size_t kSoniquePathOffset = 1056;   // 8-bit path, zero-terminated within its bytes
constexpr std::size_t kSoniquePathSize = kSoniqueBlockSize - kSoniquePathOffset;

// What one refresh learnt of the playing song.
struct TSoniqueInformation {
    std::string PlayingFile; // as the player gave it
    std::string TagTitle;
    std::string TagArtist;
};

// The playback state as last commanded.
enum class TSoniqueState : std::uint8_t { Stopped = 0, Playing = 1, Paused = 2 };

// Waits for the change event, at most kWaitMs at a time so that it notices a stop soon, and runs the refresh
// each time the event fires. Destroying it stops the thread and waits for it to end.
class TWaitInfoChangedThread {
public:
    static constexpr std::uint32_t kWaitMs = 100;

    TWaitInfoChangedThread(platform::INamedObjects& named, std::function<void()> refresh);
    ~TWaitInfoChangedThread();
    TWaitInfoChangedThread(const TWaitInfoChangedThread&) = delete;
    TWaitInfoChangedThread& operator=(const TWaitInfoChangedThread&) = delete;

private:
    void Run();

    platform::INamedObjects& Named_;
    std::function<void()> Refresh_;
    std::atomic<bool> Stop_{false};
    std::thread Thread_;
};

class TSoniqueRemote {
public:
    TSoniqueRemote(platform::IWindowSystem& windows, platform::INamedObjects& named);
    ~TSoniqueRemote();
    TSoniqueRemote(const TSoniqueRemote&) = delete;
    TSoniqueRemote& operator=(const TSoniqueRemote&) = delete;

    // Maps the block (creating it when the player has not), marks it, starts the worker and reads the
    // information once. Without the block the driver stays unconnected: no worker, position and length 0.
    void Connect();
    // Stops the worker (waiting for it), then lets go of the block.
    void Disconnect();
    bool Connected() const { return Block_ != nullptr; }

    platform::WindowHandle FindSoniqueWindow();

    // The three texts of the last refresh, taken together: title and artist in the active code page, the
    // file name as a program path.
    TSoniqueInformation Information() const;
    std::string PlayingFile() const { return Information().PlayingFile; }
    std::string TagTitle() const { return Information().TagTitle; }
    std::string TagArtist() const { return Information().TagArtist; }
    // From the block; 0 when not connected.
    std::int32_t PositionMs() const;
    std::int32_t LengthMs() const;

    // Reads the playing file from the block, then its ID3v1 title and artist; without them the title is the
    // file's name without folder and extension. Runs on the worker thread, and once when connecting.
    void RefreshInformation();

    TSoniqueState State() const { return State_; }

    // Key presses; each looks the window up first and sends nothing without one, but still sets the state.
    void Next();
    void Pause();
    void Play(); // sends nothing while the state is Playing
    void Prev();
    void Stop();
    void VolumeUp();
    void VolumeDown();
    void Jump();

private:
    void PressKey(std::int32_t virtualKey, char character);
    std::int32_t ReadInt(std::size_t offset) const;

    platform::IWindowSystem& Windows_;
    platform::INamedObjects& Named_;
    std::unique_ptr<platform::ISharedMemory> Block_;
    std::unique_ptr<TWaitInfoChangedThread> Worker_;
    TSoniqueState State_ = TSoniqueState::Stopped;

    std::mutex RefreshLock_; // one refresh at a time, so an older one never overwrites a newer
    mutable std::mutex TextLock_;
    TSoniqueInformation Information_;
};

// The file's name without its folder and without its extension ("C:\Music\Song.mp3" gives "Song").
std::string SoniqueFileTitle(const std::string& path);
// The playing file's path from the block's path bytes: the text before the first zero; empty when there
// is no zero among them.
std::string SoniquePathFromBlock(const unsigned char* bytes, std::size_t size);

} // namespace player
