#pragma once
// Top-level windows seen and made through our own X connection: the popups a toolkit maps
// (override-redirect windows, which the window manager never sees, so the EWMH lists miss
// them), and plain windows of one colour that a test puts in another window's way.
#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "harness/Screen.h"

namespace e2e {

struct TopLevel {
    WindowId id = 0;
    Rect rect;  // root coordinates, without the border
    bool override_redirect = false;
};

// The root's children that are mapped and viewable now, bottom to top.
std::vector<TopLevel> viewable_top_levels(Display* display);

// The viewable override-redirect top-levels in `now` whose id is not in `before`.
std::vector<TopLevel> new_override_redirect(const std::vector<TopLevel>& before, const std::vector<TopLevel>& now);

std::string describe(const std::vector<TopLevel>& windows);

// A managed top-level window filled with one colour, asking the window manager to put its
// client area exactly at `rect` (a user-specified position with static gravity). Mapped by
// the constructor, destroyed by the destructor.
class ColourWindow {
public:
    ColourWindow(Display* display, const Rect& rect, std::uint32_t rgb, const std::string& name);
    ~ColourWindow();
    ColourWindow(const ColourWindow&) = delete;
    ColourWindow& operator=(const ColourWindow&) = delete;

    WindowId id() const { return window_; }

private:
    Display* display_;
    Window window_;
};

}  // namespace e2e
