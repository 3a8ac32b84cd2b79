#pragma once
// The program's own connection to the X server, for reading the screen and drawing the view,
// separate from the toolkit's so that neither disturbs the other's requests.
#include "platform/linux/X11Includes.h"

#include <chrono>
#include <string>

namespace platform::linuxx11 {

class X11Display {
public:
    // Opens the display named by $DISPLAY; check ok() afterwards.
    X11Display();
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    bool ok() const { return display_ != nullptr; }
    ::Display* get() const { return display_; }
    ::Window root() const { return DefaultRootWindow(display_); }
    int screen() const { return DefaultScreen(display_); }
    Atom atom(const char* name) const { return XInternAtom(display_, name, kXFalse); }
    // Whether events may be waiting, in Xlib's queue or unread on the connection. Xlib's own
    // checks try to read the socket several times each, which a tick over a still screen would
    // pay for nothing. Events can also hide in the client library's buffer, read in with a reply;
    // so at least every `kFullCheckInterval` this answers yes, and a full check finds them.
    bool mayHaveEvents();
    static constexpr auto kFullCheckInterval = std::chrono::milliseconds(50);

private:
    ::Display* display_;
    static constexpr auto kSameLook = std::chrono::milliseconds(1);
    std::chrono::steady_clock::time_point lastFullCheck_{};
    std::chrono::steady_clock::time_point lastEmptyLook_{};
};

// The serial number of the last request the server answered with an error, on any connection
// of the program: a wait for an answer can stop once its request failed.
void noteXError(const XErrorEvent& error);
unsigned long lastXErrorSerial();

// Collects X protocol errors of the requests made while it lives instead of letting Xlib end the
// program; errors of earlier requests go to the handler that was in place. It waits for the
// server only where a request of its own is still unanswered.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(::Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    // Waits for the server to answer everything sent so far; true when none of it failed.
    bool succeeded();

private:
    ::Display* display_;
    ::Display* outerDisplay_;
    unsigned long outerFirstSerial_;
    int (*previous_)(::Display*, XErrorEvent*);
};

}  // namespace platform::linuxx11
