#include "platform/linux/screencast/CaptureChoice.h"

#include <string_view>

namespace platform::linux_::screencast {

CaptureChoice chooseCapture(const std::function<const char*(const char*)>& getenv) {
    const auto value = [&](const char* name) -> std::string_view {
        const char* text = getenv(name);
        return text != nullptr ? std::string_view(text) : std::string_view();
    };
    CaptureChoice choice;
    const std::string_view forced = value("MAGNIFIER_CAPTURE");
    if (forced == "x11") return choice;
    if (forced == "portal") {
        choice.kind = CaptureKind::Portal;
        return choice;
    }
    if (!forced.empty()) {
        choice.complaint =
            "MAGNIFIER_CAPTURE=" + std::string(forced) + " is not x11 or portal; choosing by the session";
    }
    if (!value("WAYLAND_DISPLAY").empty() || value("XDG_SESSION_TYPE") == "wayland") choice.kind = CaptureKind::Portal;
    return choice;
}

}  // namespace platform::linux_::screencast
