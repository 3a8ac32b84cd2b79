#pragma once
// The monitors of an X screen, in root coordinates: RandR's monitors (which include those a
// user splits off with xrandr --setmonitor), Xinerama's screens where RandR has none, else the
// whole screen as one. X gives no work areas per monitor, so each monitor is its own work area.
#include <functional>
#include <vector>

#include "platform/Types.h"
#include "platform/linux/X11Display.h"

namespace platform::linux_ {

// Empty when neither extension lists any monitor.
std::vector<MonitorInfo> queryMonitors(X11Display& display);

// Tells when RandR reports a change of the screen, its outputs or its CRTCs, as the display's
// events are handed out; without RandR, never.
class MonitorChanges {
public:
    MonitorChanges(X11Display& display, std::function<void()> changed);

private:
    X11Display::Subscription screen_;
    X11Display::Subscription other_;
};

}  // namespace platform::linux_
