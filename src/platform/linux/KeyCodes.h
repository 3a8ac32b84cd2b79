#pragma once
// Qt's keys as the virtual-key codes the form's key-down event carries.
#include <QKeyEvent>

namespace platform::linux_ {

// The key's virtual-key code, or 0 for a key without one.
int virtualKeyFor(int key, Qt::KeyboardModifiers modifiers);
inline int virtualKeyFor(const QKeyEvent& event) { return virtualKeyFor(event.key(), event.modifiers()); }

// The shift state of the form's events: vbShiftMask, vbCtrlMask and vbAltMask combined.
int shiftStateFor(Qt::KeyboardModifiers modifiers);

}  // namespace platform::linux_
