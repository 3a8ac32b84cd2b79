#include "platform/linux/KeyCodes.h"

#include "platform/Types.h"

namespace platform::linux_ {

int virtualKeyFor(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        // The numeric keypad has codes of its own, apart from the main keyboard's.
        switch (key) {
            case Qt::Key_Plus: return VK_ADD;
            case Qt::Key_Minus: return VK_SUBTRACT;
            case Qt::Key_Asterisk: return 106;  // VK_MULTIPLY
            case Qt::Key_Slash: return 111;     // VK_DIVIDE
            case Qt::Key_Period:
            case Qt::Key_Comma: return 110;     // VK_DECIMAL
            case Qt::Key_Enter: return 13;
            default:
                if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);  // VK_NUMPAD0..9
                break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: return 187;  // VK_OEM_PLUS
        case Qt::Key_Minus:
        case Qt::Key_Underscore: return 189;  // VK_OEM_MINUS
        case Qt::Key_Comma: return 188;
        case Qt::Key_Period: return 190;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Shift: return 16;
        case Qt::Key_Control: return 17;
        case Qt::Key_Alt: return 18;
        case Qt::Key_Pause: return 19;
        case Qt::Key_CapsLock: return 20;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Space: return 32;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Delete: return 46;
        default: return 0;
    }
}

int shiftStateFor(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= vbShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= vbCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= vbAltMask;
    return shift;
}

}  // namespace platform::linux_
