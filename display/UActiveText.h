#pragma once
// Text of the program to and from Qt's strings: the conversion shared by every window (ui/), under the
// names the display's code uses.

#include "ui/UActiveText.h"

namespace display {

using ui::FromActive;
using ui::ToActive;

} // namespace display
