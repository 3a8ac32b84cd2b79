#include "platform/linux/WindowGone.h"

#include <QCoreApplication>
#include <QTimer>
#include <xcb/xcb.h>

namespace platform::linux_ {

WindowGone::WindowGone(Handle window, std::function<void()> gone) : window_(window), gone_(std::move(gone)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowGone::~WindowGone() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowGone::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
    if (seen_ || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    if (static_cast<const xcb_destroy_notify_event_t*>(message)->window != window_) return false;
    seen_ = true;
    // Not from inside Qt's event dispatch: the handler ends the message loop.
    QTimer::singleShot(0, [this] { gone_(); });
    return false;
}

}  // namespace platform::linux_
