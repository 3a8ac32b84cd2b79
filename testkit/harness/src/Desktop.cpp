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

// xprop prints a list property as "NAME(TYPE) = a, b, c" (or "NAME(WINDOW): window id # a, b"),
// and "NAME:  not found." when the property is not set.
std::vector<std::string> list_value(const std::string& text) {
    std::vector<std::string> items;
    auto at = text.find(" = ");
    if (at == std::string::npos) at = text.find(" # ");
    if (at == std::string::npos) return items;
    std::istringstream list(text.substr(at + 3));
    std::string item;
    while (std::getline(list, item, ',')) {
        const auto first = item.find_first_not_of(" \t\n");
        const auto last = item.find_last_not_of(" \t\n");
        if (first != std::string::npos) items.push_back(item.substr(first, last - first + 1));
    }
    return items;
}

std::vector<std::string> root_property(const EnvOverrides& env, const std::string& name) {
    return list_value(run_checked({"xprop", "-root", name}, env));
}

}  // namespace

std::string to_string(const FrameExtents& frame) {
    return "left " + std::to_string(frame.left) + ", right " + std::to_string(frame.right) + ", top " +
           std::to_string(frame.top) + ", bottom " + std::to_string(frame.bottom);
}

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

std::optional<std::string> Desktop::text_property(WindowId window, const std::string& name) const {
    // xprop converts STRING and COMPOUND_TEXT properties to its own locale's encoding.
    const CommandResult result = run_command({"xprop", "-id", hex_id(window), name}, merge(env_, {{"LC_ALL", "C.UTF-8"}}));
    if (!result.status.success()) return std::nullopt;
    return quoted_value(result.out);
}

std::vector<std::string> Desktop::wm_class(WindowId window) const {
    const CommandResult result = run_command({"xprop", "-id", hex_id(window), "WM_CLASS"}, env_);
    std::vector<std::string> names;
    if (!result.status.success()) return names;
    for (const std::string& item : list_value(result.out)) {
        if (auto name = quoted_value(item)) names.push_back(*name);
    }
    return names;
}

std::optional<FrameExtents> Desktop::frame_extents(WindowId window) const {
    const CommandResult result = run_command({"xprop", "-id", hex_id(window), "_NET_FRAME_EXTENTS"}, env_);
    if (!result.status.success()) return std::nullopt;
    const std::vector<std::string> values = list_value(result.out);
    if (values.size() != 4) return std::nullopt;
    return FrameExtents{std::stoi(values[0]), std::stoi(values[1]), std::stoi(values[2]), std::stoi(values[3])};
}

Rect Desktop::outer_geometry(WindowId window) const {
    const auto frame = frame_extents(window);
    if (!frame) throw std::runtime_error("window " + hex_id(window) + " has no _NET_FRAME_EXTENTS");
    const Rect client = client_geometry(window);
    return Rect{client.x - frame->left, client.y - frame->top, client.width + frame->left + frame->right,
                client.height + frame->top + frame->bottom};
}

std::vector<std::string> Desktop::wm_state(WindowId window) const {
    return list_value(run_checked({"xprop", "-id", hex_id(window), "_NET_WM_STATE"}, env_));
}

std::vector<WindowId> Desktop::stacking_order() const {
    std::vector<WindowId> ids;
    for (const std::string& id : root_property(env_, "_NET_CLIENT_LIST_STACKING")) {
        ids.push_back(std::stoul(id, nullptr, 0));
    }
    return ids;
}

std::optional<WindowId> Desktop::active_window() const {
    const std::vector<std::string> ids = root_property(env_, "_NET_ACTIVE_WINDOW");
    if (ids.size() != 1) return std::nullopt;
    const WindowId id = std::stoul(ids.front(), nullptr, 0);
    if (id == 0) return std::nullopt;
    return id;
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

void Desktop::click(int button, const std::vector<std::string>& modifiers, int times) const {
    std::vector<std::string> args;
    if (!modifiers.empty()) {
        args.push_back("keydown");
        args.insert(args.end(), modifiers.begin(), modifiers.end());
    }
    args.insert(args.end(), {"click", "--repeat", std::to_string(times), "--delay", "20", std::to_string(button)});
    if (!modifiers.empty()) {
        args.push_back("keyup");
        args.insert(args.end(), modifiers.begin(), modifiers.end());
    }
    xdotool(args);
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

void Desktop::destroy(WindowId window) const { xdotool({"windowclose", std::to_string(window)}); }

void Desktop::maximize(WindowId window, bool on) const {
    run_checked({"wmctrl", "-i", "-r", hex_id(window), "-b", std::string(on ? "add" : "remove") +
                                                             ",maximized_vert,maximized_horz"},
                env_);
}

}  // namespace e2e
