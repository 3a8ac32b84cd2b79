// Xrandr.h and Xinerama.h use Xlib's macros (Bool, Status), which the back end's own header
// replaces by constants: they come first.
#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include "platform/linux/X11Monitors.h"

namespace platform::linux_ {
namespace {

MonitorInfo monitorAt(int x, int y, int width, int height, bool primary) {
    const Rect area{x, y, x + width, y + height};
    return MonitorInfo{area, area, primary};
}

std::vector<MonitorInfo> randrMonitors(::Display* display, ::Window root) {
    std::vector<MonitorInfo> monitors;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor)) {
        return monitors;
    }
    if (major < 1 || (major == 1 && minor < 5)) return monitors;  // monitors came with 1.5
    int count = 0;
    XRRMonitorInfo* list = XRRGetMonitors(display, root, 1, &count);
    if (list == nullptr) return monitors;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = list[i];
        if (m.width > 0 && m.height > 0) monitors.push_back(monitorAt(m.x, m.y, m.width, m.height, m.primary != 0));
    }
    XRRFreeMonitors(list);
    return monitors;
}

std::vector<MonitorInfo> xineramaMonitors(::Display* display) {
    std::vector<MonitorInfo> monitors;
    int eventBase = 0, errorBase = 0;
    if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display)) return monitors;
    int count = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
    if (screens == nullptr) return monitors;
    // Xinerama has no primary; its first screen is the one desktops treat as such.
    for (int i = 0; i < count; ++i) {
        const XineramaScreenInfo& s = screens[i];
        if (s.width > 0 && s.height > 0) monitors.push_back(monitorAt(s.x_org, s.y_org, s.width, s.height, i == 0));
    }
    XFree(screens);
    return monitors;
}

}  // namespace

MonitorChanges::MonitorChanges(X11Display& display, std::function<void()> changed) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display.get(), &eventBase, &errorBase)) return;
    XRRSelectInput(display.get(), display.root(),
                   RRScreenChangeNotifyMask | RROutputChangeNotifyMask | RRCrtcChangeNotifyMask);
    screen_ = display.subscribe(eventBase + RRScreenChangeNotify, [changed](XEvent&) { changed(); });
    other_ = display.subscribe(eventBase + RRNotify, [changed](XEvent&) { changed(); });
}

std::vector<MonitorInfo> queryMonitors(X11Display& display) {
    std::vector<MonitorInfo> monitors = randrMonitors(display.get(), display.root());
    if (monitors.empty()) monitors = xineramaMonitors(display.get());
    return monitors;
}

}  // namespace platform::linux_
