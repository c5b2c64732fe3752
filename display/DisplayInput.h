#pragma once
// Translation of Qt's key and mouse state into the display engine's terms, for the main window's event
// handlers.

#include "display/IDisplayHost.h"
#include "display/UDisplayTextNoTimestamp.h"

#include <Qt>

namespace display {

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// F, J, K, L and the numeric keypad's plus and minus; every other key is Other.
TDisplayKey DisplayKeyOf(int key, Qt::KeyboardModifiers modifiers);
TMouseButton MouseButtonOf(Qt::MouseButton button);

} // namespace display
