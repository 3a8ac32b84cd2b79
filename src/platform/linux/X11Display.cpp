#include "platform/linux/X11Display.h"

#include <poll.h>

namespace platform::linuxx11 {
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

bool X11Display::mayHaveEvents() {
    if (XEventsQueued(display_, QueuedAlready) > 0) {
        // The messages this program sends the window manager through the root window come back
        // on this connection too, and nothing here reads them: left in the queue, they would
        // make every tick look as if events were waiting.
        XEvent message;
        while (XCheckTypedEvent(display_, ClientMessage, &message)) {
        }
        if (XEventsQueued(display_, QueuedAlready) > 0) return true;
    }
    const auto now = std::chrono::steady_clock::now();
    // The screen and the pointer ask a moment apart in one tick: one look at the socket serves both.
    if (now - lastEmptyLook_ < kSameLook) return false;
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    if (::poll(&connection, 1, 0) > 0 || now - lastFullCheck_ >= kFullCheckInterval) {
        lastFullCheck_ = now;
        return true;
    }
    lastEmptyLook_ = now;
    return false;
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

}  // namespace platform::linuxx11
