#include "display/DisplayInput.h"

namespace display {

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s;
    s.Shift = modifiers.testFlag(Qt::ShiftModifier);
    s.Ctrl = modifiers.testFlag(Qt::ControlModifier);
    s.Alt = modifiers.testFlag(Qt::AltModifier);
    s.Left = buttons.testFlag(Qt::LeftButton);
    s.Right = buttons.testFlag(Qt::RightButton);
    s.Middle = buttons.testFlag(Qt::MiddleButton);
    return s;
}

TDisplayKey DisplayKeyOf(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (key) {
    case Qt::Key_F:
        return TDisplayKey::F;
    case Qt::Key_J:
        return TDisplayKey::J;
    case Qt::Key_K:
        return TDisplayKey::K;
    case Qt::Key_L:
        return TDisplayKey::L;
    case Qt::Key_Plus:
        return keypad ? TDisplayKey::NumPlus : TDisplayKey::Other;
    case Qt::Key_Minus:
        return keypad ? TDisplayKey::NumMinus : TDisplayKey::Other;
    default:
        return TDisplayKey::Other;
    }
}

TMouseButton MouseButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return TMouseButton::Right;
    case Qt::MiddleButton:
        return TMouseButton::Middle;
    default:
        return TMouseButton::Left;
    }
}

} // namespace display
