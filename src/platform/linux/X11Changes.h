#pragma once
// What changed on the display, learnt from the X server's events instead of by asking it: the
// Damage extension reports every changed area of the root window, XInput2 every raw pointer
// motion. Reading the events costs no round trip, so a tick over a still screen asks the server
// nothing. Where an extension is missing, available() says so and callers ask the server.
#include <chrono>
#include <vector>

#include "platform/Types.h"
#include "platform/linux/X11Display.h"
#include "platform/soft/ChangedAreas.h"

namespace platform::linux_ {

class X11Changes {
public:
    explicit X11Changes(X11Display& display);
    ~X11Changes();
    X11Changes(const X11Changes&) = delete;
    X11Changes& operator=(const X11Changes&) = delete;

    bool damageAvailable() const { return damage_ != 0; }
    bool motionAvailable() const { return xinputOpcode_ >= 0; }
    // Whether a changed area reported since the last call meets `area`; starts a new period.
    bool takeDamage(const Rect& area);
    // Whether the pointer moved since the last call, as far as raw motion tells; starts a new period.
    bool takeMotion();

private:
    // Takes the events that have arrived, without waiting and without a round trip.
    void poll();
    void addDamage(const Rect& area);

    X11Display& display_;
    unsigned long damage_ = 0;
    int damageEventBase_ = -1;
    int xinputOpcode_ = -1;
    soft::ChangedAreas damaged_{64};
    bool moved_ = false;
    X11Display::Subscription damageEvents_;
    X11Display::Subscription motionEvents_;
};

// When to ask the server where the pointer is. Raw motion reports what devices do, but not a
// pointer moved by another program (a warp, a remote-desktop server), so the pointer is still read
// at every tick for a second after it last moved, and after that every 40 ms.
class PointerPolicy {
public:
    using Clock = std::chrono::steady_clock;
    // Whether this tick reads the pointer; `moved` is what raw motion reported.
    bool shouldQuery(bool moved, Clock::time_point now);
    // The result of a read: a different position keeps the pointer counted as moving.
    void queried(bool changed, Clock::time_point now);

private:
    bool queriedOnce_ = false;
    Clock::time_point lastMove_{};
    Clock::time_point lastQuery_{};
};

}  // namespace platform::linux_
