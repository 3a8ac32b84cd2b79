// Keys reach the form with the codes a Windows keyboard gives them: only the keypad's plus and
// minus are the zoom keys.
#include <gtest/gtest.h>

#include "platform/Types.h"
#include "platform/linux/KeyCodes.h"

namespace platform::linux_ {
namespace {

int code(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { return virtualKeyFor(key, modifiers); }

TEST(KeyCodes, TheKeypadHasCodesOfItsOwn) {
    EXPECT_EQ(code(Qt::Key_Plus, Qt::KeypadModifier), VK_ADD);
    EXPECT_EQ(code(Qt::Key_Minus, Qt::KeypadModifier), VK_SUBTRACT);
    EXPECT_EQ(code(Qt::Key_Plus, Qt::KeypadModifier | Qt::ShiftModifier), VK_ADD);
    EXPECT_EQ(code(Qt::Key_5, Qt::KeypadModifier), 101);
    EXPECT_EQ(code(Qt::Key_Plus), 187);
    EXPECT_EQ(code(Qt::Key_Equal), 187);
    EXPECT_EQ(code(Qt::Key_Minus), 189);
    EXPECT_EQ(code(Qt::Key_A), 65);
    EXPECT_EQ(code(Qt::Key_F1), 112);
    EXPECT_EQ(code(Qt::Key_unknown), 0);
}

TEST(KeyCodes, ShiftStateIsShiftCtrlAlt) {
    EXPECT_EQ(shiftStateFor(Qt::NoModifier), 0);
    EXPECT_EQ(shiftStateFor(Qt::ShiftModifier | Qt::AltModifier), vbShiftMask | vbAltMask);
    EXPECT_EQ(shiftStateFor(Qt::ControlModifier | Qt::KeypadModifier), vbCtrlMask);
}

}  // namespace
}  // namespace platform::linux_
