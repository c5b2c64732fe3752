#include "player/QCDI.h"

#include "toolkit/CodePage.h"

namespace player {

using platform::IWindowSystem;
using platform::WindowHandle;

const char* const kQcdWindowClass = "PlayerCanvas";
const char* const kQcdNoSongTitle = "essential Player";

namespace {

const char* const kSongMarker = "QCD: [";
// Without the marker, the caption's first characters are the start of the player's name and are dropped.
constexpr std::size_t kDroppedCharacters = 5;

std::int32_t Query(IWindowSystem& windows, WindowHandle window, std::uint32_t message) {
    if (window == platform::kNoWindow)
        return 0;
    // Both parameters have all bits set.
    return static_cast<std::int32_t>(windows.Send(window, message, ~std::uintptr_t(0), -1));
}

void Command(IWindowSystem& windows, std::uint32_t command) {
    const WindowHandle window = FindQcdWindow(windows);
    if (window != platform::kNoWindow)
        windows.Send(window, platform::WM_COMMAND_, command, 0);
}

// The byte offset after the first count characters; in UTF-8 a character is its lead byte and the
// continuation bytes after it.
std::size_t SkipCharacters(const std::string& text, std::size_t count) {
    if (!toolkit::IsUtf8CodePage(toolkit::ActiveCodePage()))
        return count < text.size() ? count : text.size();
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < text.size(); ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

} // namespace

WindowHandle FindQcdWindow(IWindowSystem& windows) {
    return windows.FindWindowOfClass(kQcdWindowClass);
}

bool QcdRunning(IWindowSystem& windows) {
    return FindQcdWindow(windows) != platform::kNoWindow;
}

std::int32_t QcdPosition(IWindowSystem& windows, WindowHandle window) {
    return Query(windows, window, QCD_GET_POSITION);
}

std::int32_t QcdLength(IWindowSystem& windows) {
    return Query(windows, FindQcdWindow(windows), QCD_GET_LENGTH) / 1000;
}

std::string CleanQcdCaption(const std::string& caption) {
    std::string c;
    const auto marker = caption.find(kSongMarker);
    if (marker != std::string::npos)
        c = caption.substr(marker + std::char_traits<char>::length(kSongMarker));
    else
        c = caption.substr(SkipCharacters(caption, kDroppedCharacters));
    const auto bracket = c.find(']');
    if (bracket != std::string::npos)
        c.erase(0, bracket + 1);
    for (char& ch : c)
        if (ch == '/')
            ch = '-';
    return c;
}

std::string QcdTitle(IWindowSystem& windows) {
    return CleanQcdCaption(toolkit::Utf8ToActive(windows.GetCaption(FindQcdWindow(windows))));
}

void QcdPlay(IWindowSystem& windows) {
    Command(windows, QCD_PLAY);
}
void QcdPause(IWindowSystem& windows) {
    Command(windows, QCD_PAUSE);
}
void QcdStop(IWindowSystem& windows) {
    Command(windows, QCD_STOP);
}
void QcdNext(IWindowSystem& windows) {
    Command(windows, QCD_NEXT);
}
void QcdPrev(IWindowSystem& windows) {
    Command(windows, QCD_PREV);
}
void QcdVolumeUp(IWindowSystem& windows) {
    Command(windows, QCD_VOLUME_UP);
}
void QcdVolumeDown(IWindowSystem& windows) {
    Command(windows, QCD_VOLUME_DOWN);
}
void QcdForward5s(IWindowSystem& windows) {
    Command(windows, QCD_FORWARD_5S);
}
void QcdBack5s(IWindowSystem& windows) {
    Command(windows, QCD_BACK_5S);
}

void QcdSeek(IWindowSystem& windows, std::int32_t targetMs) {
    const std::int64_t position = Query(windows, FindQcdWindow(windows), QCD_GET_POSITION);
    const std::int64_t distance = position - targetMs;
    // Whole seconds first, then whole 5-second steps, both truncated towards zero.
    std::int64_t steps = distance / 1000 / 5;
    std::uint32_t command = QCD_BACK_5S;
    if (steps > 0) {
        ++steps; // backwards one step more, so the song starts at or before the target
    } else {
        steps = -steps;
        command = QCD_FORWARD_5S;
    }
    if (steps > kQcdMaxSeekSteps)
        steps = kQcdMaxSeekSteps;
    for (std::int64_t i = 0; i < steps; ++i)
        Command(windows, command);
}

void QcdShow(IWindowSystem& windows) {
    const WindowHandle window = FindQcdWindow(windows);
    if (window != platform::kNoWindow)
        windows.BringToTop(window);
}

} // namespace player
