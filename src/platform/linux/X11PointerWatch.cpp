// The extensions' headers need Xlib's macros, which the back end's own headers take away.
#include <X11/Xlib-xcb.h>
#include <X11/extensions/sync.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/X11PointerWatch.h"

namespace platform::linux_ {

X11PointerWatch::X11PointerWatch() {
    if (!display_.ok()) return;
    ::Display* x = display_.get();
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XSyncQueryExtension(x, &eventBase, &errorBase) || !XSyncInitialize(x, &major, &minor)) return;
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(x, &count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(counters[i].name, "SERVERTIME") == 0) {
            clock_ = counters[i].counter;
            ok_ = true;
        }
    }
    if (counters != nullptr) XSyncFreeSystemCounterList(counters);
}

int X11PointerWatch::descriptor() const { return ConnectionNumber(display_.get()); }

void X11PointerWatch::ask(std::chrono::milliseconds delay) {
    if (!ok_ || asked_) return;
    ::Display* x = display_.get();
    // The server stops reading this connection's requests until its clock has moved on by
    // `delay`; the question behind the Await is answered then.
    XSyncWaitCondition wait{};
    wait.trigger.counter = clock_;
    wait.trigger.value_type = XSyncRelative;
    XSyncIntToValue(&wait.trigger.wait_value, static_cast<int>(delay.count()));
    wait.trigger.test_type = XSyncPositiveComparison;
    XSyncIntToValue(&wait.event_threshold, 0);
    XSyncAwait(x, &wait, 1);
    XFlush(x);
    xcb_connection_t* connection = XGetXCBConnection(x);
    query_ = xcb_query_pointer(connection, static_cast<xcb_window_t>(display_.root())).sequence;
    xcb_flush(connection);
    asked_ = true;
}

bool X11PointerWatch::answered(Point& point, bool& known) {
    if (!asked_) return false;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(XGetXCBConnection(display_.get()), query_, &reply, &error) == 0) return false;
    asked_ = false;
    const auto* pointer = static_cast<const xcb_query_pointer_reply_t*>(reply);
    known = pointer != nullptr && pointer->same_screen != 0;
    if (known) point = Point{pointer->root_x, pointer->root_y};
    std::free(reply);
    std::free(error);
    return true;
}

}  // namespace platform::linux_
