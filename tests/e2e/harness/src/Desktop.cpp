#include "harness/Desktop.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "harness/Wait.h"

namespace e2e {

namespace {

std::vector<WindowId> parse_ids(const std::string& text) {
    std::vector<WindowId> ids;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        ids.push_back(std::stoul(line, nullptr, 0));
    }
    return ids;
}

std::optional<int> field(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) return std::nullopt;
    return std::stoi(text.substr(at + label.size()));
}

// xprop prints a string property as "NAME = "text"", escaping quotes and backslashes.
std::optional<std::string> quoted_value(const std::string& text) {
    const auto open = text.find('"');
    const auto close = text.rfind('"');
    if (open == std::string::npos || close == open) return std::nullopt;
    std::string value;
    for (auto i = open + 1; i < close; ++i) {
        if (text[i] == '\\' && i + 1 < close) ++i;
        value += text[i];
    }
    return value;
}

}  // namespace

std::string hex_id(WindowId window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

std::string Desktop::xdotool(std::vector<std::string> args) const {
    args.insert(args.begin(), "xdotool");
    return run_checked(args, env_);
}

std::vector<WindowId> Desktop::find_windows(pid_t pid, const std::string& name_regex) const {
    // Exit code 1 means "nothing found", which is an answer, not a failure.
    const CommandResult result = run_command(
        {"xdotool", "search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", name_regex}, env_);
    if (!result.status.exited || result.status.code > 1) {
        throw std::runtime_error("xdotool search failed with " + result.status.describe() + ": " + result.err);
    }
    return parse_ids(result.out);
}

std::vector<WindowId> Desktop::find_windows(const std::string& name_regex) const {
    const CommandResult result =
        run_command({"xdotool", "search", "--all", "--onlyvisible", "--name", name_regex}, env_);
    if (!result.status.exited || result.status.code > 1) {
        throw std::runtime_error("xdotool search failed with " + result.status.describe() + ": " + result.err);
    }
    return parse_ids(result.out);
}

Rect Desktop::client_geometry(WindowId window) const {
    const std::string text = run_checked({"xwininfo", "-id", hex_id(window)}, env_);
    const auto x = field(text, "Absolute upper-left X:");
    const auto y = field(text, "Absolute upper-left Y:");
    const auto width = field(text, "Width:");
    const auto height = field(text, "Height:");
    if (!x || !y || !width || !height) throw std::runtime_error("cannot read xwininfo output: " + text);
    return Rect{*x, *y, *width, *height};
}

std::optional<std::string> Desktop::caption(WindowId window) const {
    const CommandResult result = run_command({"xprop", "-id", hex_id(window), "_NET_WM_NAME"}, env_);
    if (!result.status.success()) return std::nullopt;
    return quoted_value(result.out);
}

void Desktop::key(const std::vector<std::string>& keys, int delay_ms) const {
    std::vector<std::string> args{"key", "--delay", std::to_string(delay_ms)};
    args.insert(args.end(), keys.begin(), keys.end());
    xdotool(args);
}

void Desktop::move_mouse(Point point) const {
    // Not "mousemove --sync": it never returns when the pointer is already there.
    xdotool({"mousemove", std::to_string(point.x), std::to_string(point.y)});
    Point seen;
    if (!wait_until([&] { return (seen = mouse()) == point; }, std::chrono::milliseconds(5000))) {
        throw std::runtime_error("the pointer is at " + to_string(seen) + ", not at " + to_string(point) +
                                 ", 5 s after xdotool mousemove");
    }
}

Point Desktop::mouse() const {
    const std::string text = xdotool({"getmouselocation"});
    const auto x = field(text, "x:");
    const auto y = field(text, "y:");
    if (!x || !y) throw std::runtime_error("cannot read the mouse location from: " + text);
    return Point{*x, *y};
}

void Desktop::activate(WindowId window) const { xdotool({"windowactivate", "--sync", std::to_string(window)}); }

void Desktop::resize(WindowId window, int width, int height) const {
    xdotool({"windowsize", std::to_string(window), std::to_string(width), std::to_string(height)});
}

void Desktop::move(WindowId window, int x, int y) const {
    xdotool({"windowmove", std::to_string(window), std::to_string(x), std::to_string(y)});
}

void Desktop::close(WindowId window) const { run_checked({"wmctrl", "-i", "-c", hex_id(window)}, env_); }

}  // namespace e2e
