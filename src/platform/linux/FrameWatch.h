#pragma once
// Notices what may tell a window's frame after it is shown: the window manager setting
// _NET_FRAME_EXTENTS, reparenting the window into its frame, mapping or moving it. Qt's
// connection gets these events.
#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <functional>

#include "platform/Types.h"

namespace platform::linux_ {

class FrameWatch : public QAbstractNativeEventFilter {
public:
    // `seen` runs on the message loop after such events, once for those that come together,
    // while `context` lives.
    FrameWatch(QObject* context, Handle window, std::uint32_t frameExtentsAtom, std::function<void()> seen);
    ~FrameWatch() override;
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QObject* context_;
    Handle window_;
    std::uint32_t atom_;
    std::function<void()> seen_;
    bool pending_ = false;
};

}  // namespace platform::linux_
