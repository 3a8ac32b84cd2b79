#pragma once
// A private X server (Xvfb on the first free display number) with a window manager (openbox)
// and a connection of our own to it. The destructor closes the connection and ends the window
// manager and the server, on every path.
#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harness/Process.h"
#include "harness/TempDir.h"

namespace e2e {

struct XDisplayCloser {
    void operator()(Display* display) const;
};
using XDisplayPtr = std::unique_ptr<Display, XDisplayCloser>;

// Opens a connection, retrying until the timeout; throws if it cannot.
XDisplayPtr open_display(const std::string& name, std::chrono::milliseconds timeout);

class VirtualDisplay {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        int depth = 24;
        bool window_manager = true;
        std::chrono::milliseconds start_timeout = std::chrono::milliseconds(15000);
        // The default visual's class (X.h: 3 PseudoColor, 4 TrueColor, 5 DirectColor); -1 for
        // the server's choice.
        int visual_class = -1;
        // When set, the display is a nested server (Xephyr) on a private Xvfb, with one screen
        // of each size side by side, joined by Xinerama: monitors that programs reading
        // Xinerama (Wine without XRandR) see, where they ignore RandR monitors. The display's
        // width and height are then the screens' together.
        std::vector<std::pair<int, int>> xinerama_screens = {};
        // The window manager's command; openbox when empty.
        std::vector<std::string> window_manager_command = {};
    };

    VirtualDisplay();
    explicit VirtualDisplay(Options options);  // throws std::runtime_error with the reason
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return name_; }  // ":N"
    Display* x() const { return connection_.get(); }
    int width() const { return options_.width; }
    int height() const { return options_.height; }
    pid_t server_pid() const { return server_->pid(); }
    // DISPLAY for this server; WAYLAND_DISPLAY and XDG_SESSION_TYPE removed so neither the
    // toolkits nor the magnifier pick a Wayland session.
    EnvOverrides env() const;

    // Starts the window manager of the options (or `command`), when none runs, and waits until
    // it manages the screen; stops the one running.
    void start_window_manager(const std::vector<std::string>& command = {});
    void stop_window_manager();
    // Splits the screen into these monitors (RandR monitors, as xrandr --setmonitor makes them),
    // the first one primary; an empty list gives the whole screen back as one.
    struct Monitor {
        int x = 0, y = 0, width = 0, height = 0;
    };
    void set_monitors(const std::vector<Monitor>& monitors);

private:
    void start_server();
    // Starts an X server that takes "-displayfd 3"; returns its display name.
    std::string spawn_server(std::vector<std::string> argv, const EnvOverrides& env, std::optional<Process>& server);
    std::vector<std::string> monitor_names_;
    std::optional<Process> host_server_;

    Options options_;
    TempDir home_;
    std::string name_;
    std::optional<Process> server_;  // after the host: ended first
    std::optional<Process> window_manager_;
    XDisplayPtr connection_;  // last: closed first
};

}  // namespace e2e
