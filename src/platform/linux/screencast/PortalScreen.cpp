#include "platform/linux/screencast/PortalScreen.h"

#include "platform/linux/screencast/RestoreToken.h"

namespace platform::linux_::screencast {

std::unique_ptr<PortalScreen> PortalScreen::open(Registry& registry, std::string& error, PortalTimeouts timeouts) {
    auto session = std::make_unique<PortalSession>(timeouts);
    std::optional<PortalStart> started = session->start(loadRestoreToken(registry), error);
    if (!started) return nullptr;
    // A token is good for one start only: the next start needs the new one.
    if (!started->restoreToken.empty()) saveRestoreToken(registry, started->restoreToken);
    std::unique_ptr<PipeWireCapture> capture =
        PipeWireCapture::open(std::move(started->pipewire), std::move(started->streams), error);
    if (!capture || !capture->waitForFrames(timeouts.call, error)) return nullptr;
    return std::make_unique<PortalScreen>(std::move(session), std::move(capture));
}

}  // namespace platform::linux_::screencast
