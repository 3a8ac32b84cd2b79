#pragma once
// A private X server (Xvfb on the first free display number) with a window manager (openbox)
// and a connection of our own to it. The destructor closes the connection and ends the window
// manager and the server, on every path.
#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

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

private:
    void start_server();
    void start_window_manager();

    Options options_;
    TempDir home_;
    std::string name_;
    std::optional<Process> server_;
    std::optional<Process> window_manager_;
    XDisplayPtr connection_;  // last: closed first
};

}  // namespace e2e
