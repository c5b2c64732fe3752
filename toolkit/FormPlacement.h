#pragma once
// The form-placement store: where a window stood, how large it was and whether it was maximised, kept in
// an INI file between runs (one section per window):
//
//   [TFormCantrel]
//   Left=100
//   Top=80
//   Width=825
//   Height=326
//   State=0        0 normal, 2 maximised (a minimised window is stored as normal)
//
// Left, Top, Width and Height are the window's normal (restored) geometry, also while it is maximised.
// Values that are missing or not numbers leave the placement unknown; sizes are limited to sane bounds.

#include <optional>
#include <string>

namespace toolkit {

class TProfileFile;

struct TFormPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;
};

// Largest width and height a stored placement may hold.
constexpr int kMaxFormExtent = 32767;

// The placement stored for the section, or nothing when it is missing or incomplete. Sizes are limited to
// minWidth ... kMaxFormExtent and minHeight ... kMaxFormExtent.
std::optional<TFormPlacement> ReadFormPlacement(const TProfileFile& profile, const std::string& section,
                                                int minWidth, int minHeight);
void WriteFormPlacement(TProfileFile& profile, const std::string& section, const TFormPlacement& placement);

// The same on a file: a missing or unreadable file gives nothing; writing keeps the file's other lines.
std::optional<TFormPlacement> LoadFormPlacement(const std::string& path, const std::string& section,
                                                int minWidth, int minHeight);
bool SaveFormPlacement(const std::string& path, const std::string& section, const TFormPlacement& placement);

} // namespace toolkit
