#include "player/USoniqueI.h"

#include "lyrics/TextHelpers.h"

namespace player {

TSoniqueI::TSoniqueI(platform::IWindowSystem& windows, platform::INamedObjects& named)
    : SoniqueRemote1(windows, named) {
    SoniqueRemote1.Connect();
}

bool TSoniqueI::SoniqueRunning() {
    try {
        return SoniqueRemote1.FindSoniqueWindow() != platform::kNoWindow;
    } catch (...) {
        return false;
    }
}

std::string TSoniqueI::SoniqueTitle() const {
    const TSoniqueInformation info = SoniqueRemote1.Information();
    return lyrics::TrimView(info.TagArtist).empty() ? info.TagTitle : info.TagArtist + " - " + info.TagTitle;
}

std::string TSoniqueI::SoniqueFileName() const {
    return SoniqueRemote1.PlayingFile();
}

std::int32_t TSoniqueI::SoniquePosition() const {
    return SoniqueRemote1.PositionMs();
}

std::int32_t TSoniqueI::SoniqueLength() const {
    return SoniqueRemote1.LengthMs() / 1000;
}

void TSoniqueI::SoniqueNext() {
    SoniqueRemote1.Next();
}
void TSoniqueI::SoniquePause() {
    SoniqueRemote1.Pause();
}
void TSoniqueI::SoniquePlay() {
    SoniqueRemote1.Play();
}
void TSoniqueI::SoniquePrev() {
    SoniqueRemote1.Prev();
}
void TSoniqueI::SoniqueStop() {
    SoniqueRemote1.Stop();
}
void TSoniqueI::SoniqueVolumeUp() {
    SoniqueRemote1.VolumeUp();
}
void TSoniqueI::SoniqueVolumeDown() {
    SoniqueRemote1.VolumeDown();
}
void TSoniqueI::SoniqueJump() {
    SoniqueRemote1.Jump();
}

} // namespace player
