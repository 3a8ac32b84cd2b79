#include "platform/linux/X11Display.h"

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
