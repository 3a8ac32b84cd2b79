#pragma once
// Xlib's headers define macros (None, Bool, Status, KeyPress, FocusIn, ...) that collide with
// Qt's names. Every file of this back end takes Xlib from here, where the colliding macros are
// replaced by constants.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace platform::linux_ {
inline constexpr unsigned long kXNone = 0L;  // None
inline constexpr int kXSuccess = 0;          // Success
inline constexpr int kXFalse = 0;            // False
inline constexpr int kXTrue = 1;             // True
}  // namespace platform::linux_

#undef None
#undef Bool
#undef Status
#undef KeyPress
#undef KeyRelease
#undef FocusIn
#undef FocusOut
#undef FontChange
#undef Expose
#undef CursorShape
#undef Unsorted
#undef Success
#undef Always
#undef True
#undef False
#undef DestroyAll
#undef GrayScale
#undef CurrentTime
