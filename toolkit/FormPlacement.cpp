#include "toolkit/FormPlacement.h"

#include "toolkit/TProfileFile.h"

#include <algorithm>
#include <climits>

namespace toolkit {

std::optional<TFormPlacement> ReadFormPlacement(const TProfileFile& profile, const std::string& section,
                                                int minWidth, int minHeight) {
    // INT_MIN marks a missing or unreadable value: no real coordinate is that far out.
    auto read = [&](const char* key) { return profile.ReadInteger(section, key, INT_MIN); };
    const int left = read("Left"), top = read("Top"), width = read("Width"), height = read("Height");
    if (left == INT_MIN || top == INT_MIN || width == INT_MIN || height == INT_MIN)
        return std::nullopt;
    TFormPlacement placement;
    placement.Left = std::clamp(left, -kMaxFormExtent, kMaxFormExtent);
    placement.Top = std::clamp(top, -kMaxFormExtent, kMaxFormExtent);
    placement.Width = std::clamp(width, minWidth, kMaxFormExtent);
    placement.Height = std::clamp(height, minHeight, kMaxFormExtent);
    placement.Maximized = profile.ReadInteger(section, "State", 0) == 2;
    return placement;
}

void WriteFormPlacement(TProfileFile& profile, const std::string& section, const TFormPlacement& placement) {
    profile.WriteInteger(section, "Left", placement.Left);
    profile.WriteInteger(section, "Top", placement.Top);
    profile.WriteInteger(section, "Width", placement.Width);
    profile.WriteInteger(section, "Height", placement.Height);
    profile.WriteInteger(section, "State", placement.Maximized ? 2 : 0);
}

std::optional<TFormPlacement> LoadFormPlacement(const std::string& path, const std::string& section,
                                                int minWidth, int minHeight) {
    return ReadFormPlacement(LoadProfileFile(path), section, minWidth, minHeight);
}

bool SaveFormPlacement(const std::string& path, const std::string& section, const TFormPlacement& placement) {
    TProfileFile profile = LoadProfileFile(path);
    WriteFormPlacement(profile, section, placement);
    return SaveProfileFile(profile, path);
}

} // namespace toolkit
