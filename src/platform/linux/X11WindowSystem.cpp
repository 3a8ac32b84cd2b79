#include "platform/linux/X11WindowSystem.h"

#include "platform/linux/X11Monitors.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace platform::linux_ {
namespace {

constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
constexpr long kSourceApplication = 1;

}  // namespace

X11WindowSystem::X11WindowSystem(X11Display& display, soft::SoftGraphics& graphics, X11Changes* changes)
    : display_(display),
      graphics_(graphics),
      changes_(changes),
      netWmState_(display.atom("_NET_WM_STATE")),
      netWmStateAbove_(display.atom("_NET_WM_STATE_ABOVE")),
      netActiveWindow_(display.atom("_NET_ACTIVE_WINDOW")),
      netClientListStacking_(display.atom("_NET_CLIENT_LIST_STACKING")),
      netWmPid_(display.atom("_NET_WM_PID")),
      netFrameExtents_(display.atom("_NET_FRAME_EXTENTS")),
      netRequestFrameExtents_(display.atom("_NET_REQUEST_FRAME_EXTENTS")),
      netSupportingWmCheck_(display.atom("_NET_SUPPORTING_WM_CHECK")) {}

void X11WindowSystem::registerWindow(Handle hwnd, soft::WindowProcChain::OwnProcedure ownProcedure) {
    own_[hwnd] = OwnWindow{};
    procedures_.add(hwnd, std::move(ownProcedure));
}

void X11WindowSystem::unregisterWindow(Handle hwnd) {
    own_.erase(hwnd);
    procedures_.remove(hwnd);
}

LResult X11WindowSystem::sendMessage(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    return procedures_.send(hwnd, message, wParam, lParam);
}

std::vector<unsigned long> X11WindowSystem::windowProperty(Handle hwnd, Atom property, Atom type) {
    std::vector<unsigned long> values;
    if (hwnd == 0) return values;
    X11ErrorTrap trap(display_.get());  // the window may be gone
    Atom actualType = kXNone;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_.get(), hwnd, property, 0, 1024, kXFalse, type, &actualType, &format, &count,
                           &remaining, &data) == kXSuccess &&
        data != nullptr) {
        if (actualType == type && format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            values.assign(items, items + count);
        }
        XFree(data);
    }
    return values;
}

bool X11WindowSystem::hasState(Handle hwnd, Atom state) {
    const auto states = windowProperty(hwnd, netWmState_, XA_ATOM);
    return std::find(states.begin(), states.end(), state) != states.end();
}

bool X11WindowSystem::isMapped(Handle hwnd) {
    X11ErrorTrap trap(display_.get());
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_.get(), hwnd, &attributes) != 0 && attributes.map_state != IsUnmapped;
}

bool X11WindowSystem::windowManagerRunning() {
    return !windowProperty(display_.root(), netSupportingWmCheck_, XA_WINDOW).empty();
}

std::optional<FrameExtents> X11WindowSystem::frameExtents(Handle hwnd) {
    const auto values = windowProperty(hwnd, netFrameExtents_, XA_CARDINAL);
    if (values.size() < 4) return std::nullopt;
    return FrameExtents{static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                        static_cast<int>(values[3])};
}

std::optional<FrameExtents> X11WindowSystem::parentFrame(Handle hwnd) {
    X11ErrorTrap trap(display_.get());
    ::Window frame = hwnd;
    // Up to the child of the root: the window manager's outermost frame.
    for (;;) {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_.get(), frame, &root, &parent, &children, &count)) return std::nullopt;
        if (children != nullptr) XFree(children);
        if (parent == 0 || parent == root) break;
        frame = parent;
    }
    if (frame == hwnd) return std::nullopt;
    XWindowAttributes client{}, outer{};
    if (!XGetWindowAttributes(display_.get(), hwnd, &client) || !XGetWindowAttributes(display_.get(), frame, &outer)) {
        return std::nullopt;
    }
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(display_.get(), hwnd, frame, 0, 0, &x, &y, &child);
    if (!trap.succeeded()) return std::nullopt;
    const int left = x + outer.border_width, top = y + outer.border_width;
    const int right = outer.width + 2 * outer.border_width - client.width - left;
    const int bottom = outer.height + 2 * outer.border_width - client.height - top;
    if (left < 0 || top < 0 || right < 0 || bottom < 0) return std::nullopt;
    return FrameExtents{left, right, top, bottom};
}

std::optional<FrameExtents> X11WindowSystem::requestFrameExtents(Handle hwnd) {
    if (auto known = frameExtents(hwnd)) return known;
    if (!windowManagerRunning()) return std::nullopt;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = hwnd;
    event.xclient.message_type = netRequestFrameExtents_;
    event.xclient.format = 32;
    XSendEvent(display_.get(), display_.root(), kXFalse, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display_.get());
    // A window manager answers at once by setting the property; one that does not support the
    // request never does, and the window then counts as frameless until it is shown. The answer
    // usually takes well under a millisecond, and start-up waits for it: it is looked for often.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    do {
        if (auto answer = frameExtents(hwnd)) return answer;
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

bool X11WindowSystem::GetCursorPos(Point& point) {
    if (pointerSource_) {
        if (const std::optional<Point> reported = pointerSource_()) {
            point = *reported;
            return true;
        }
    }
    if (changes_ == nullptr || !changes_->motionAvailable()) return queryPointer(point);
    const auto now = PointerPolicy::Clock::now();
    if (pointerPolicy_.shouldQuery(changes_->takeMotion(), now)) {
        Point read{};
        const bool known = queryPointer(read);
        pointerPolicy_.queried(known != pointerKnown_ || read.x != pointer_.x || read.y != pointer_.y, now);
        pointer_ = read;
        pointerKnown_ = known;
    }
    if (pointerKnown_) point = pointer_;
    return pointerKnown_;
}

bool X11WindowSystem::SetCursorPos(int x, int y) {
    if (pointerFixed_) return false;
    XWarpPointer(display_.get(), kXNone, display_.root(), 0, 0, 0, 0, x, y);
    XFlush(display_.get());
    // A warp raises no raw motion event: the position is known without asking.
    pointer_ = Point{x, y};
    pointerKnown_ = true;
    return true;
}

bool X11WindowSystem::queryPointer(Point& point) {
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display_.get(), display_.root(), &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask)) {
        return false;  // the pointer is on another screen
    }
    point = Point{rootX, rootY};
    return true;
}

Handle X11WindowSystem::GetWindowDC(Handle hwnd) {
    // The root window's context is the screen; other windows' pixels are not read here.
    return hwnd == display_.root() ? graphics_.createScreenDC() : 0;
}

Handle X11WindowSystem::GetDC(Handle hwnd) { return GetWindowDC(hwnd); }

int X11WindowSystem::ReleaseDC(Handle /*hwnd*/, Handle hdc) { return graphics_.releaseScreenDC(hdc) ? 1 : 0; }

void X11WindowSystem::setAbove(Handle hwnd, bool above) {
    if (isMapped(hwnd)) {
        // A managed window asks the window manager, which keeps _NET_WM_STATE.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = hwnd;
        event.xclient.message_type = netWmState_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = above ? kStateAdd : kStateRemove;
        event.xclient.data.l[1] = static_cast<long>(netWmStateAbove_);
        event.xclient.data.l[3] = kSourceApplication;
        XSendEvent(display_.get(), display_.root(), kXFalse, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        // A window not yet shown states its wishes in the property itself, read when it is mapped.
        auto states = windowProperty(hwnd, netWmState_, XA_ATOM);
        states.erase(std::remove(states.begin(), states.end(), netWmStateAbove_), states.end());
        if (above) states.push_back(netWmStateAbove_);
        std::vector<Atom> atoms(states.begin(), states.end());
        XChangeProperty(display_.get(), hwnd, netWmState_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    }
    XFlush(display_.get());
}

void X11WindowSystem::activate(Handle hwnd) {
    if (!isMapped(hwnd)) return;  // a window that is about to be shown is activated by being shown
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = hwnd;
    event.xclient.message_type = netActiveWindow_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = kSourceApplication;
    event.xclient.data.l[1] = 0 /* CurrentTime */;
    XSendEvent(display_.get(), display_.root(), kXFalse, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XRaiseWindow(display_.get(), hwnd);
    XFlush(display_.get());
}

bool X11WindowSystem::SetWindowPos(Handle hwnd, Handle insertAfter, int x, int y, int cx, int cy,
                                   std::uint32_t flags) {
    if (hwnd == 0 || hwnd == display_.root()) return false;
    {
        X11ErrorTrap trap(display_.get());
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_.get(), hwnd, &attributes)) return false;
    }
    if ((flags & SWP_NOMOVE) == 0) XMoveWindow(display_.get(), hwnd, x, y);
    if ((flags & SWP_NOSIZE) == 0 && cx > 0 && cy > 0) {
        XResizeWindow(display_.get(), hwnd, static_cast<unsigned>(cx), static_cast<unsigned>(cy));
    }
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) setAbove(hwnd, insertAfter == HWND_TOPMOST);
    if ((flags & SWP_NOACTIVATE) == 0) activate(hwnd);
    XFlush(display_.get());
    return true;
}

std::intptr_t X11WindowSystem::SetWindowLongPtr(Handle hwnd, int index, std::intptr_t value) {
    auto it = own_.find(hwnd);
    if (index == GWL_WNDPROC) {
        // Only this program's own windows can be subclassed.
        return procedures_.replace(hwnd, value);
    }
    if (index == GWL_EXSTYLE) {
        const std::intptr_t previous = GetWindowLongPtr(hwnd, GWL_EXSTYLE);
        if (previous == 0 && !isMapped(hwnd) && it == own_.end()) return 0;
        setAbove(hwnd, (value & WS_EX_TOPMOST) != 0);
        if (it != own_.end()) it->second.otherExStyle = static_cast<std::int32_t>(value) & ~WS_EX_TOPMOST;
        return previous;
    }
    return 0;
}

std::intptr_t X11WindowSystem::GetWindowLongPtr(Handle hwnd, int index) {
    auto it = own_.find(hwnd);
    if (index == GWL_WNDPROC) return procedures_.current(hwnd);
    if (index == GWL_EXSTYLE) {
        // The "above" layer is read live, so a window put there by other means reads topmost.
        std::int32_t style = it == own_.end() ? 0 : it->second.otherExStyle;
        if (hasState(hwnd, netWmStateAbove_)) style |= WS_EX_TOPMOST;
        return style;
    }
    return 0;
}

LResult X11WindowSystem::CallWindowProc(std::intptr_t proc, Handle hwnd, std::uint32_t message, WParam wParam,
                                        LParam lParam) {
    return procedures_.call(proc, hwnd, message, wParam, lParam);
}

std::vector<Handle> X11WindowSystem::stackingOrder() {
    const auto bottomUp = windowProperty(display_.root(), netClientListStacking_, XA_WINDOW);
    return std::vector<Handle>(bottomUp.rbegin(), bottomUp.rend());
}

Handle X11WindowSystem::GetWindow(Handle hwnd, std::uint32_t command) {
    const auto order = stackingOrder();
    if (command == GW_CHILD) return hwnd == display_.root() && !order.empty() ? order.front() : 0;
    if (command == GW_HWNDNEXT) {
        auto it = std::find(order.begin(), order.end(), hwnd);
        if (it == order.end() || ++it == order.end()) return 0;
        return *it;
    }
    return 0;
}

std::uint32_t X11WindowSystem::GetWindowThreadProcessId(Handle hwnd, std::uint32_t* processId) {
    const auto pid = windowProperty(hwnd, netWmPid_, XA_CARDINAL);
    if (pid.empty()) return 0;
    if (processId != nullptr) *processId = static_cast<std::uint32_t>(pid.front());
    return 1;
}

std::uint32_t X11WindowSystem::GetCurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

bool X11WindowSystem::GetWindowRect(Handle hwnd, Rect& rect) {
    X11ErrorTrap trap(display_.get());
    XWindowAttributes attributes{};
    if (hwnd == 0 || !XGetWindowAttributes(display_.get(), hwnd, &attributes)) return false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_.get(), hwnd, display_.root(), 0, 0, &x, &y, &child);
    std::optional<FrameExtents> reported = frameExtents(hwnd);
    if (!reported) reported = parentFrame(hwnd);
    const FrameExtents frame = reported.value_or(FrameExtents{});
    rect = Rect{x - frame.left, y - frame.top, x + attributes.width + frame.right,
                y + attributes.height + frame.bottom};
    return trap.succeeded();
}

void X11WindowSystem::refreshMonitors() {
    if (!monitorChanges_)
        monitorChanges_ = std::make_unique<MonitorChanges>(display_, [this] { monitorsKnown_ = false; });
    if (monitorsKnown_) return;
    monitorsKnown_ = true;
    monitors_.set(queryMonitors(display_), DisplayWidth(display_.get(), display_.screen()),
                  DisplayHeight(display_.get(), display_.screen()));
}

Handle X11WindowSystem::MonitorFromRect(const Rect& rect, std::uint32_t flags) {
    refreshMonitors();
    return monitors_.fromRect(rect, flags);
}

std::vector<Handle> X11WindowSystem::EnumDisplayMonitors() {
    refreshMonitors();
    return monitors_.handles();
}

}  // namespace platform::linux_
