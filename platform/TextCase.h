#pragma once
// Unicode letter case, from the system's Unicode library: ICU on Linux, the system's own case mapping on
// Windows (whose cross build has no ICU). Text is UTF-16. Both are locale-independent, so results do not
// change with the user's language settings.

#include <string>

namespace platform {

// The case-folded form, for comparing text without regard to letter case ("Straße" and "STRASSE" fold
// alike under ICU; Windows folds by lower-casing, letter for letter).
std::u16string FoldCase(const std::u16string& text);
// The lower-case form.
std::u16string ToLowerCase(const std::u16string& text);

} // namespace platform
