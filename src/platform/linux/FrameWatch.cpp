#include "platform/linux/FrameWatch.h"

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QTimer>

namespace platform::linux_ {

FrameWatch::FrameWatch(QObject* context, Handle window, std::uint32_t frameExtentsAtom, std::function<void()> seen)
    : context_(context), window_(window), atom_(frameExtentsAtom), seen_(std::move(seen)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

FrameWatch::~FrameWatch() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool FrameWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    bool relevant = false;
    switch (event->response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = static_cast<const xcb_property_notify_event_t*>(message);
            relevant = e->window == window_ && e->atom == atom_;
            break;
        }
        case XCB_REPARENT_NOTIFY:
            relevant = static_cast<const xcb_reparent_notify_event_t*>(message)->window == window_;
            break;
        case XCB_MAP_NOTIFY: relevant = static_cast<const xcb_map_notify_event_t*>(message)->window == window_; break;
        case XCB_CONFIGURE_NOTIFY:
            relevant = static_cast<const xcb_configure_notify_event_t*>(message)->window == window_;
            break;
        default: break;
    }
    if (!relevant || pending_) return false;
    pending_ = true;
    // After Qt has taken the event in, so that its idea of the window's geometry is current.
    QTimer::singleShot(0, context_, [this] {
        pending_ = false;
        seen_();
    });
    return false;
}

}  // namespace platform::linux_
