#pragma once
// The screen as the screen-cast portal shares it, as the source of the desktop's device
// context: the newest frames of the shared monitors, black where no monitor is shared.
#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/linux/screencast/PipeWireCapture.h"
#include "platform/linux/screencast/PortalSession.h"
#include "platform/soft/ScreenSource.h"

namespace platform::linux_::screencast {

class PortalScreen : public soft::ScreenSource {
public:
    // Made by open(), once the portal has answered.
    PortalScreen(std::unique_ptr<PortalSession> session, std::unique_ptr<PipeWireCapture> capture)
        : session_(std::move(session)), capture_(std::move(capture)) {}
    // Asks the portal for the screen, with the restore token from the registry, and stores the
    // token it hands back for the next start. Nothing, and `error` set to one line for the
    // user, when the screen cannot be had this way.
    static std::unique_ptr<PortalScreen> open(Registry& registry, std::string& error,
                                              PortalTimeouts timeouts = PortalTimeouts{});

    int width() const override { return capture_->width(); }
    int height() const override { return capture_->height(); }
    void read(int x, int y, const soft::Surface& to) override { capture_->read(x, y, to); }

    // The pointer position the compositor last reported, once it has reported one.
    std::optional<Point> pointer() { return capture_->pointer(); }
    // No new frame and no pointer move since the last question: nothing under the view changed.
    // After a new frame the pixels the view reads are compared, since the compositor sends a
    // frame for a change anywhere on the monitor.
    soft::ScreenChange changedSinceLastCheck(const Rect& /*area*/) override {
        return capture_->takeChanged() ? soft::ScreenChange::unknown : soft::ScreenChange::none;
    }

private:
    std::unique_ptr<PortalSession> session_;
    std::unique_ptr<PipeWireCapture> capture_;  // last: ends its streams before the session closes
};

}  // namespace platform::linux_::screencast
