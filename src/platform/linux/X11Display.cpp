#include "platform/linux/X11Display.h"

#include <poll.h>

namespace platform::linuxx11 {
namespace {

int trappedErrors = 0;
unsigned long lastErrorSerial = 0;

int countError(::Display*, XErrorEvent* error) {
    noteXError(*error);
    ++trappedErrors;
    return 0;
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

X11ErrorTrap::X11ErrorTrap(::Display* display) : display_(display) {
    XSync(display_, kXFalse);
    trappedErrors = 0;
    previous_ = XSetErrorHandler(countError);
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, kXFalse);
    XSetErrorHandler(previous_);
}

bool X11ErrorTrap::succeeded() {
    XSync(display_, kXFalse);
    return trappedErrors == 0;
}

}  // namespace platform::linuxx11
