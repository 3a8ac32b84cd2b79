#pragma once
// The program's own connection to the X server, for reading the screen and drawing the view,
// separate from the toolkit's so that neither disturbs the other's requests.
#include "platform/linux/X11Includes.h"

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace platform::linux_ {

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

    // Events of this connection go to the part of the program that asked for their kind while
    // the returned subscription lives; a kind nobody asked for is dropped, so that nothing stays
    // queued and makes every tick look as if events were waiting.
    using EventHandler = std::function<void(XEvent&)>;
    class Subscription {
    public:
        Subscription() = default;
        Subscription(X11Display* display, int id) : display_(display), id_(id) {}
        Subscription(Subscription&& other) noexcept
            : display_(std::exchange(other.display_, nullptr)), id_(other.id_) {}
        Subscription& operator=(Subscription&& other) noexcept {
            std::swap(display_, other.display_);
            std::swap(id_, other.id_);
            return *this;
        }
        ~Subscription() {
            if (display_ != nullptr) display_->unsubscribe(id_);
        }

    private:
        X11Display* display_ = nullptr;
        int id_ = 0;
    };
    // `type` is an event type; GenericEvent brings every extension's generic events.
    [[nodiscard]] Subscription subscribe(int type, EventHandler handler);
    // Reads what has arrived on the connection, without waiting, and hands it out: at most once
    // a tick, however many parts of it ask, and without Xlib's own checks, which try the socket
    // several times each. `force` reads now, whenever the last look was.
    void dispatchPending(bool force = false);

private:
    struct Listener {
        int id;
        int type;
        EventHandler handler;
    };
    bool mayHaveEvents();
    void unsubscribe(int id);

    ::Display* display_;
    std::vector<Listener> listeners_;
    int nextListener_ = 1;
    // Events can hide in the client library's buffer, read in with a reply: at least this often
    // the socket counts as readable, and a full read finds them.
    static constexpr auto kFullCheckInterval = std::chrono::milliseconds(50);
    static constexpr auto kOneLook = std::chrono::milliseconds(2);
    std::chrono::steady_clock::time_point lastFullCheck_{};
    std::chrono::steady_clock::time_point lastLook_{};
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

}  // namespace platform::linux_
