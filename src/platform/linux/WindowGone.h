#pragma once
// Notices when another client destroys one of the program's windows (a task manager, `xdotool
// windowclose`), which no close request precedes: Qt's connection gets the DestroyNotify.
#include <QAbstractNativeEventFilter>

#include <functional>

#include "platform/Types.h"

namespace platform::linux_ {

class WindowGone : public QAbstractNativeEventFilter {
public:
    // `gone` runs on the message loop, after the event, once.
    WindowGone(Handle window, std::function<void()> gone);
    ~WindowGone() override;
    WindowGone(const WindowGone&) = delete;
    WindowGone& operator=(const WindowGone&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    Handle window_;
    std::function<void()> gone_;
    bool seen_ = false;
};

}  // namespace platform::linux_
