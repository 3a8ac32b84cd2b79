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
    std::optional<std::string> caption(WindowId window) const;

    // Key presses through XTEST, to the focused window, e.g. {"KP_Add", "KP_Add"}.
    void key(const std::vector<std::string>& keys, int delay_ms = 20) const;
    void move_mouse(Point point) const;
    Point mouse() const;
    void activate(WindowId window) const;  // waits until the window manager made it active
    void resize(WindowId window, int width, int height) const;
    void move(WindowId window, int x, int y) const;
    // Asks the window manager to close the window, as its close button would.
    void close(WindowId window) const;

private:
    std::string xdotool(std::vector<std::string> args) const;
    EnvOverrides env_;
};

}  // namespace e2e
