#include "harness/TopLevel.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace e2e {

namespace {

struct XFreeDeleter {
    void operator()(void* data) const {
        if (data) XFree(data);
    }
};

}  // namespace

std::vector<TopLevel> viewable_top_levels(Display* display) {
    Window root_return = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count)) {
        throw std::runtime_error("XQueryTree on the root window failed");
    }
    const std::unique_ptr<Window, XFreeDeleter> owned(children);
    std::vector<TopLevel> windows;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        // A window may go away between the query and this call; then it is simply not listed.
        if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
        if (attributes.map_state != IsViewable) continue;
        windows.push_back(TopLevel{children[i],
                                   Rect{attributes.x + attributes.border_width, attributes.y + attributes.border_width,
                                        attributes.width, attributes.height},
                                   attributes.override_redirect != False});
    }
    return windows;
}

std::vector<TopLevel> new_override_redirect(const std::vector<TopLevel>& before, const std::vector<TopLevel>& now) {
    std::vector<TopLevel> fresh;
    for (const TopLevel& window : now) {
        if (!window.override_redirect) continue;
        const bool seen =
            std::any_of(before.begin(), before.end(), [&](const TopLevel& old) { return old.id == window.id; });
        if (!seen) fresh.push_back(window);
    }
    return fresh;
}

std::string describe(const std::vector<TopLevel>& windows) {
    if (windows.empty()) return "none";
    std::string text;
    for (const TopLevel& window : windows) {
        if (!text.empty()) text += ", ";
        text +=
            hex_id(window.id) + " " + to_string(window.rect) + (window.override_redirect ? " override-redirect" : "");
    }
    return text;
}

ColourWindow::ColourWindow(Display* display, const Rect& rect, std::uint32_t rgb, const std::string& name)
    : display_(display) {
    // On the 24-bit TrueColor screens the tests use, a pixel value is its 0xRRGGBB colour.
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), rect.x, rect.y,
                                  static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height), 0, 0, rgb);
    if (window_ == 0) throw std::runtime_error("XCreateSimpleWindow failed");
    XStoreName(display_, window_, name.c_str());
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                    XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(name.data()), static_cast<int>(name.size()));
    // Without a user-specified position the window manager would place the window where it
    // likes; static gravity puts the client, not the frame, at the position.
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PWinGravity;
    hints.x = rect.x;
    hints.y = rect.y;
    hints.width = rect.width;
    hints.height = rect.height;
    hints.win_gravity = StaticGravity;
    XSetWMNormalHints(display_, window_, &hints);
    XMapWindow(display_, window_);
    XSync(display_, False);
}

ColourWindow::~ColourWindow() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
}

}  // namespace e2e
