#pragma once
// What the screen's source has to tell the user about itself. On most desktops nothing: the
// whole screen can be read. On a Wayland session the picture comes through a sharing the user
// allows, which can be refused, can end, and may cover some monitors only; meanwhile the view
// shows what it can, and the window says why in the user's language.
namespace platform {

enum class ScreenNotice {
    none,
    waitingForPermission,  // the user has not yet answered the share dialog
    sharingRefused,        // the user said no: only the X11 windows can be shown
    sharingUnavailable,    // the desktop offers no sharing this program can use
    sharingEnded,          // the sharing ended; it is being asked for again
    monitorNotShared,      // the pointer is on a monitor the user did not share: the view is black
};

class ScreenStatus {
public:
    virtual ~ScreenStatus() = default;
    // Asked once a tick: cheap, and never waits.
    virtual ScreenNotice notice() = 0;
};

// The status of a screen that is always wholly readable.
class WholeScreen : public ScreenStatus {
public:
    ScreenNotice notice() override { return ScreenNotice::none; }
};

}  // namespace platform
