#include "harness/VirtualDisplay.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "harness/UniqueFd.h"
#include "harness/Wait.h"

namespace e2e {

namespace {

// Xlib's default handler exits the process on any protocol error; a test must instead see the
// failed call (XGetImage returns null, for one) and report it.
int report_x_error(Display* display, XErrorEvent* event) {
    char text[256] = {};
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "e2e harness: X error %d (%s), request %d.%d, resource 0x%lx\n", event->error_code, text,
                 event->request_code, event->minor_code, event->resourceid);
    return 0;
}

std::optional<Window> window_property(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data);
    std::optional<Window> result;
    if (status == Success && type == XA_WINDOW && format == 32 && count == 1 && data) {
        result = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return result;
}

}  // namespace

void XDisplayCloser::operator()(Display* display) const {
    if (display) XCloseDisplay(display);
}

XDisplayPtr open_display(const std::string& name, std::chrono::milliseconds timeout) {
    XSetErrorHandler(report_x_error);
    XDisplayPtr display;
    wait_until([&] { return (display = XDisplayPtr(XOpenDisplay(name.c_str()))) != nullptr; }, timeout);
    if (!display) throw std::runtime_error("cannot connect to X display " + name);
    return display;
}

VirtualDisplay::VirtualDisplay() : VirtualDisplay(Options{}) {}

VirtualDisplay::VirtualDisplay(Options options) : options_(options), home_("magnifier-e2e-wm") {
    if (!options_.xinerama_screens.empty()) {
        options_.width = 0;
        options_.height = 0;
        for (const auto& [width, height] : options_.xinerama_screens) {
            options_.width += width;
            options_.height = std::max(options_.height, height);
        }
    }
    start_server();
    connection_ = open_display(name_, options_.start_timeout);
    if (options_.window_manager) start_window_manager();
}

VirtualDisplay::~VirtualDisplay() {
    connection_.reset();
    if (window_manager_) window_manager_->terminate();
    if (server_) server_->terminate();
    if (host_server_) host_server_->terminate();
}

EnvOverrides VirtualDisplay::env() const {
    return {{"DISPLAY", name_}, {"WAYLAND_DISPLAY", std::nullopt}, {"XDG_SESSION_TYPE", std::nullopt}};
}

void VirtualDisplay::start_server() {
    const std::string screen = std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x" +
                               std::to_string(options_.depth);
    // -noreset: the server must keep its state when its last client leaves between tests.
    std::vector<std::string> argv{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
    if (options_.visual_class >= 0) {
        argv.push_back("-cc");
        argv.push_back(std::to_string(options_.visual_class));
    }
    if (options_.xinerama_screens.empty()) {
        name_ = spawn_server(argv, {}, server_);
        return;
    }
    const std::string host = spawn_server(argv, {}, host_server_);
    std::vector<std::string> nested{"Xephyr", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "+xinerama"};
    for (const auto& [width, height] : options_.xinerama_screens) {
        nested.push_back("-screen");
        nested.push_back(std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(options_.depth));
    }
    name_ = spawn_server(nested, {{"DISPLAY", host}}, server_);
}

std::string VirtualDisplay::spawn_server(std::vector<std::string> argv, const EnvOverrides& env,
                                         std::optional<Process>& server) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    UniqueFd read_end(fds[0]);
    UniqueFd write_end(fds[1]);
    const std::string program = argv.front();
    // -displayfd: the server picks a free display number and writes it once it accepts
    // connections, so parallel test processes never race for a number.
    server.emplace(SpawnOptions{std::move(argv), env, Stream::Discard, Stream::Capture, {{write_end.get(), 3}}});
    write_end.reset();

    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + options_.start_timeout;
    while (number.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            throw std::runtime_error(program + " did not report a display number within " +
                                     std::to_string(options_.start_timeout.count()) +
                                     " ms; stderr: " + server->stderr_text());
        }
        pollfd fd{read_end.get(), POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[32];
        const ssize_t got = ::read(read_end.get(), buffer, sizeof buffer);
        if (got <= 0) {
            auto status = server->wait_for(std::chrono::milliseconds(1000));
            throw std::runtime_error(program + " ended before reporting a display number (" +
                                     (status ? status->describe() : std::string("still running")) +
                                     "); stderr: " + server->stderr_text());
        }
        number.append(buffer, static_cast<std::size_t>(got));
    }
    number.resize(number.find('\n'));
    return ":" + number;
}

void VirtualDisplay::stop_window_manager() {
    if (window_manager_) window_manager_->terminate();
    window_manager_.reset();
}

void VirtualDisplay::set_monitors(const std::vector<Monitor>& monitors) {
    const EnvOverrides environment = env();
    for (const std::string& name : monitor_names_) run_command({"xrandr", "--delmonitor", name}, environment);
    monitor_names_.clear();
    // The first monitor takes the server's one output, which replaces the monitor RandR made for
    // it; the others have none. Sizes in millimetres at 96 dots per inch.
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Monitor& m = monitors[i];
        const std::string name = "M" + std::to_string(i);
        const std::string geometry = std::to_string(m.width) + "/" + std::to_string(m.width * 254 / 960) + "x" +
                                     std::to_string(m.height) + "/" + std::to_string(m.height * 254 / 960) + "+" +
                                     std::to_string(m.x) + "+" + std::to_string(m.y);
        run_checked({"xrandr", "--setmonitor", name, geometry, i == 0 ? "screen" : "none"}, environment);
        monitor_names_.push_back(name);
    }
    if (!monitors.empty()) run_checked({"xrandr", "--output", "screen", "--primary"}, environment);
}

void VirtualDisplay::start_window_manager(const std::vector<std::string>& command) {
    if (window_manager_ && window_manager_->running()) return;
    std::vector<std::string> argv = !command.empty() ? command
                                    : !options_.window_manager_command.empty()
                                        ? options_.window_manager_command
                                        : std::vector<std::string>{"openbox", "--sm-disable"};
    const auto config = home_.path() / "config";
    const auto cache = home_.path() / "cache";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(cache);
    // A private home, so no user configuration changes how windows are placed or focused.
    window_manager_.emplace(SpawnOptions{
        argv,
        merge(env(), {{"HOME", home_.str()}, {"XDG_CONFIG_HOME", config.string()}, {"XDG_CACHE_HOME", cache.string()}}),
        Stream::Discard,
        Stream::Capture,
        {}});

    // EWMH: the manager is ready once the root names a check window that names itself.
    Display* display = x();
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const Window root = DefaultRootWindow(display);
    const bool ready = wait_until(
        [&] {
            if (!window_manager_->running()) return true;
            const auto child = window_property(display, root, check);
            return child && window_property(display, *child, check) == child;
        },
        options_.start_timeout);
    if (auto status = window_manager_->poll()) {
        throw std::runtime_error(argv.front() + " ended (" + status->describe() +
                                 ") before it managed the screen; stderr: " + window_manager_->stderr_text());
    }
    if (!ready) {
        throw std::runtime_error(argv.front() + " did not set _NET_SUPPORTING_WM_CHECK within " +
                                 std::to_string(options_.start_timeout.count()) +
                                 " ms; stderr: " + window_manager_->stderr_text());
    }
}

}  // namespace e2e
