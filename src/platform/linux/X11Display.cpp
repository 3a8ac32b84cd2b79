#include "platform/linux/X11Display.h"

#include <poll.h>

namespace platform::linux_ {
namespace {

// The trap in force: Xlib's error handler is one for the whole process.
unsigned long lastErrorSerial = 0;
int trappedErrors = 0;
::Display* trapDisplay = nullptr;
unsigned long trapFirstSerial = 0;
int (*untrappedHandler)(::Display*, XErrorEvent*) = nullptr;

int countError(::Display* display, XErrorEvent* error) {
    // An error of a request made before the trap, or on another connection, is not the trap's:
    // it goes where it would have gone without it.
    if (display != trapDisplay || error->serial < trapFirstSerial) {
        return untrappedHandler != nullptr ? untrappedHandler(display, error) : 0;
    }
    noteXError(*error);
    ++trappedErrors;
    return 0;
}

// Waits for the server to answer everything sent so far, unless it already has: a request with
// a reply has had its errors reported by the time the reply is read.
void settle(::Display* display) {
    if (LastKnownRequestProcessed(display) + 1 < NextRequest(display)) XSync(display, kXFalse);
}

}  // namespace

void noteXError(const XErrorEvent& error) { lastErrorSerial = error.serial; }
unsigned long lastXErrorSerial() { return lastErrorSerial; }

X11Display::X11Display() : display_(XOpenDisplay(nullptr)) {}

X11Display::~X11Display() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

X11Display::Subscription X11Display::subscribe(int type, EventHandler handler) {
    const int id = nextListener_++;
    listeners_.push_back(Listener{id, type, std::move(handler)});
    return Subscription(this, id);
}

void X11Display::unsubscribe(int id) {
    std::erase_if(listeners_, [id](const Listener& listener) { return listener.id == id; });
}

bool X11Display::mayHaveEvents() {
    const auto now = std::chrono::steady_clock::now();
    // The pointer, the screen and the picture ask a moment apart in one tick: one look serves
    // them all, and what arrives in between is taken at the next tick.
    if (now - lastLook_ < kOneLook) return false;
    lastLook_ = now;
    if (XEventsQueued(display_, QueuedAlready) > 0) return true;
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    if (::poll(&connection, 1, 0) > 0 || now - lastFullCheck_ >= kFullCheckInterval) {
        lastFullCheck_ = now;
        return true;
    }
    return false;
}

void X11Display::dispatchPending(bool force) {
    if (!force && !mayHaveEvents()) return;
    XEventsQueued(display_, QueuedAfterReading);  // one read of what has arrived
    // Taken from the queue only, which reads nothing more.
    while (XEventsQueued(display_, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        for (const Listener& listener : listeners_) {
            if (listener.type == event.type) listener.handler(event);
        }
    }
}

X11ErrorTrap::X11ErrorTrap(::Display* display)
    : display_(display), outerDisplay_(trapDisplay), outerFirstSerial_(trapFirstSerial) {
    trappedErrors = 0;
    trapDisplay = display;
    trapFirstSerial = NextRequest(display);
    previous_ = XSetErrorHandler(countError);
    if (previous_ != countError) untrappedHandler = previous_;
}

X11ErrorTrap::~X11ErrorTrap() {
    // The errors of the trap's own requests arrive before the handler changes back.
    settle(display_);
    XSetErrorHandler(previous_);
    trapDisplay = outerDisplay_;
    trapFirstSerial = outerFirstSerial_;
}

bool X11ErrorTrap::succeeded() {
    settle(display_);
    return trappedErrors == 0;
}

}  // namespace platform::linux_
