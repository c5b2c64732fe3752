#pragma once
// A fake Sonique: a "Sonique Window Class" window that records the key messages posted to it, and the
// player's side of the shared block "SoniqueInformation" and its event "SoniqueInformationEvent": the test
// sets path, position and length, and Announce signals the event as the player does after a change.

#include "platform/fake/FakeNamedObjects.h"
#include "platform/fake/FakeWindowSystem.h"

#include <cstdint>
#include <string>

namespace platform {

class TFakeSonique {
public:
    static constexpr std::size_t kBlockSize = 1317;
    static constexpr std::size_t kPathOffset = 1056;
    static constexpr std::size_t kPathBytes = kBlockSize - kPathOffset;

    // withWindow false plays a player whose block exists but whose window has gone.
    TFakeSonique(TFakeWindowSystem& windows, TFakeNamedObjects& named, bool withWindow = true);
    ~TFakeSonique();
    TFakeSonique(const TFakeSonique&) = delete;
    TFakeSonique& operator=(const TFakeSonique&) = delete;

    // Writes the path and a zero after it (no zero when the path fills all the path bytes; longer paths are
    // cut there).
    void SetPath(const std::string& path);
    void SetPositionMs(std::int32_t ms);
    void SetLengthMs(std::int32_t ms);
    std::int32_t Header() const; // what the driver wrote at offset 0
    // Signals the change event.
    void Announce();
    // Closes the window (a player that exits); the block stays while the driver holds it.
    void Quit();
    WindowHandle Window() const { return Window_; }

private:
    void WriteInt(std::size_t offset, std::int32_t value);

    TFakeWindowSystem& Windows_;
    TFakeNamedObjects& Named_;
    std::shared_ptr<std::vector<unsigned char>> Block_;
    WindowHandle Window_ = kNoWindow;
};

} // namespace platform
