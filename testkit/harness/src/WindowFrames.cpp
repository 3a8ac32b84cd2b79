#include "harness/WindowFrames.h"

#include <X11/extensions/Xdamage.h>

#include <stdexcept>

namespace e2e {

WindowFrames::WindowFrames(Display* display, Window window) : display_(display) {
    int event_base = 0, error_base = 0;
    if (!XDamageQueryExtension(display_, &event_base, &error_base)) {
        throw std::runtime_error("the X server has no Damage extension");
    }
    event_type_ = event_base + XDamageNotify;
    // Raw rectangles: one event per drawing request, and nothing to reset between them.
    damage_ = XDamageCreate(display_, window, XDamageReportRawRectangles);
    XSync(display_, False);
    take();
}

WindowFrames::~WindowFrames() {
    XDamageDestroy(display_, damage_);
    XSync(display_, False);
    take();
}

int WindowFrames::take() {
    XSync(display_, False);
    int count = 0;
    XEvent event;
    while (XCheckTypedEvent(display_, event_type_, &event)) {
        if (reinterpret_cast<XDamageNotifyEvent&>(event).damage == damage_) ++count;
    }
    return count;
}

}  // namespace e2e
