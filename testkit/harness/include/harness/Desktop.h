#pragma once
// The desktop as a user drives it, through the command-line X tools (xdotool, xwininfo,
// xprop, wmctrl) run against one display.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "harness/Process.h"
#include "harness/Screen.h"

namespace e2e {

using WindowId = unsigned long;

std::string hex_id(WindowId window);

// The window manager's frame around a client, in pixels, as _NET_FRAME_EXTENTS gives it.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

std::string to_string(const FrameExtents& frame);

class Desktop {
public:
    explicit Desktop(EnvOverrides env) : env_(std::move(env)) {}

    const EnvOverrides& env() const { return env_; }

    // Visible windows of a process (by _NET_WM_PID) whose name matches the extended regex.
    std::vector<WindowId> find_windows(pid_t pid, const std::string& name_regex) const;
    // Visible windows whose name matches, whoever owns them.
    std::vector<WindowId> find_windows(const std::string& name_regex) const;

    // The client area in root coordinates, as xwininfo reports it.
    Rect client_geometry(WindowId window) const;
    // _NET_WM_NAME, or nothing while the window has none (or is gone).
    std::optional<std::string> caption(WindowId window) const { return text_property(window, "_NET_WM_NAME"); }
    // A text property (WM_NAME, WM_ICON_NAME, ...) in UTF-8, whatever its encoding in the server.
    std::optional<std::string> text_property(WindowId window, const std::string& name) const;
    // WM_CLASS: the instance and class names, empty while the window has none.
    std::vector<std::string> wm_class(WindowId window) const;
    // _NET_FRAME_EXTENTS, or nothing while the window manager has not set it.
    std::optional<FrameExtents> frame_extents(WindowId window) const;
    // The outer frame in root coordinates: the client area extended by the frame extents.
    // Throws if the window has no frame extents.
    Rect outer_geometry(WindowId window) const;
    // The atom names in _NET_WM_STATE, e.g. "_NET_WM_STATE_ABOVE"; empty if it is not set.
    std::vector<std::string> wm_state(WindowId window) const;
    // The managed windows from bottom to top (_NET_CLIENT_LIST_STACKING).
    std::vector<WindowId> stacking_order() const;
    // _NET_ACTIVE_WINDOW, or nothing if no window is active.
    std::optional<WindowId> active_window() const;

    // Key presses through XTEST, to the focused window, e.g. {"KP_Add", "KP_Add"}.
    void key(const std::vector<std::string>& keys, int delay_ms = 20) const;
    void move_mouse(Point point) const;
    // Clicks a mouse button through XTEST where the pointer is, `times` times, with the named
    // modifier keys (e.g. "ctrl") held down around the clicks. Buttons 4 and 5 are the wheel.
    void click(int button, const std::vector<std::string>& modifiers = {}, int times = 1) const;
    Point mouse() const;
    void activate(WindowId window) const;  // waits until the window manager made it active
    void resize(WindowId window, int width, int height) const;
    void move(WindowId window, int x, int y) const;
    // Asks the window manager to close the window, as its close button would.
    void close(WindowId window) const;
    // Destroys the window from this client, with no close request first (a task manager's kill).
    void destroy(WindowId window) const;
    // Asks the window manager to maximise the window in both directions, or to restore it, as a
    // taskbar does.
    void maximize(WindowId window, bool on) const;

private:
    std::string xdotool(std::vector<std::string> args) const;
    EnvOverrides env_;
};

}  // namespace e2e
