#pragma once
// Which way the screen is read: from the X root window, or through the screen-cast portal on a
// Wayland session, where the root window of Xwayland holds only the X11 windows.
#include <functional>
#include <string>

namespace platform::linux_::screencast {

enum class CaptureKind { X11, Portal };

struct CaptureChoice {
    CaptureKind kind = CaptureKind::X11;
    std::string complaint;  // a bad MAGNIFIER_CAPTURE value, said once on stderr
};

// MAGNIFIER_CAPTURE=x11|portal decides; otherwise WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland
// selects the portal. `getenv` answers null for an unset variable.
CaptureChoice chooseCapture(const std::function<const char*(const char*)>& getenv);

}  // namespace platform::linux_::screencast
