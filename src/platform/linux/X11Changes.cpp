// The extensions' headers need Xlib's macros, which the back end's own headers take away.
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <utility>

#include "base/DebugSwitches.h"
#include "platform/linux/X11Changes.h"

namespace platform::linux_ {
namespace {

// The switch turns the event sources off, to run the fallback on a server that has them.
bool eventsWanted() { return !base::debugSwitches().noChangeEvents; }

constexpr auto kStillAfter = std::chrono::seconds(1);
// With the tick's own 10 ms on top, a warp then shows within 50 ms.
constexpr auto kStillPollInterval = std::chrono::milliseconds(40);

}  // namespace

X11Changes::X11Changes(X11Display& display) : display_(display) {
    if (!eventsWanted()) return;
    ::Display* d = display_.get();
    int errorBase = 0;
    if (XDamageQueryExtension(d, &damageEventBase_, &errorBase)) {
        X11ErrorTrap trap(d);
        // Raw rectangles: every change arrives with its area, and nothing has to be reset.
        const Damage damage = XDamageCreate(d, display_.root(), XDamageReportRawRectangles);
        if (trap.succeeded()) damage_ = damage;
    }
    if (damage_ != 0) {
        damageEvents_ = display_.subscribe(damageEventBase_ + XDamageNotify, [this](XEvent& event) {
            const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
            addDamage(Rect{notify.area.x, notify.area.y, notify.area.x + notify.area.width,
                           notify.area.y + notify.area.height});
        });
    }
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(d, "XInputExtension", &opcode, &event, &error)) {
        int major = 2, minor = 0;
        if (XIQueryVersion(d, &major, &minor) == kXSuccess) {
            unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
            XISetMask(bits, XI_RawMotion);
            XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
            X11ErrorTrap trap(d);
            XISelectEvents(d, display_.root(), &mask, 1);
            if (trap.succeeded()) xinputOpcode_ = opcode;
        }
    }
    if (xinputOpcode_ >= 0) {
        motionEvents_ = display_.subscribe(GenericEvent, [this](XEvent& event) {
            if (event.xcookie.extension != xinputOpcode_) return;
            if (XGetEventData(display_.get(), &event.xcookie)) XFreeEventData(display_.get(), &event.xcookie);
            moved_ = true;
        });
    }
}

X11Changes::~X11Changes() {
    if (damage_ != 0) XDamageDestroy(display_.get(), damage_);
    if (xinputOpcode_ >= 0) {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
        XISelectEvents(display_.get(), display_.root(), &mask, 1);
    }
    XFlush(display_.get());
}

void X11Changes::addDamage(const Rect& area) { damaged_.add(area); }

void X11Changes::poll() {
    if (damage_ == 0 && xinputOpcode_ < 0) return;
    display_.dispatchPending();
}

bool X11Changes::takeDamage(const Rect& area) {
    poll();
    return damaged_.takeMeeting(area);
}

bool X11Changes::takeMotion() {
    poll();
    return std::exchange(moved_, false);
}

bool PointerPolicy::shouldQuery(bool moved, Clock::time_point now) {
    if (moved || !queriedOnce_) lastMove_ = now;
    return moved || !queriedOnce_ || now - lastMove_ < kStillAfter || now - lastQuery_ >= kStillPollInterval;
}

void PointerPolicy::queried(bool changed, Clock::time_point now) {
    queriedOnce_ = true;
    lastQuery_ = now;
    if (changed) lastMove_ = now;
}

}  // namespace platform::linux_
