#pragma once
// Counts the updates of a window's contents, from the X server's Damage events, so a test can
// tell whether a program drew anything in an interval.
#include <X11/Xlib.h>

namespace e2e {

class WindowFrames {
public:
    // Throws std::runtime_error when the server lacks the Damage extension.
    WindowFrames(Display* display, Window window);
    ~WindowFrames();
    WindowFrames(const WindowFrames&) = delete;
    WindowFrames& operator=(const WindowFrames&) = delete;

    // Updates reported since the last call (or since construction).
    int take();

private:
    Display* display_;
    unsigned long damage_ = 0;
    int event_type_ = 0;
};

}  // namespace e2e
