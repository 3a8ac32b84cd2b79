// The pixel tools on extra keys: freezing the view.
#include <string>

#include "app/FrmMain.h"
#include "base/Arithmetic.h"
#include "capture/Capture.h"
#include "platform/Services.h"

namespace app {
namespace {

constexpr std::int16_t kKeyEscape = 27;
constexpr std::int16_t kKeySpace = 32;

}  // namespace

void FrmMain::pixelKey(std::int16_t keyCode, std::int16_t /*shift*/) {
    if (keyCode == kKeySpace) {
        if (frozen()) unfreeze();
        else freeze();
    } else if (keyCode == kKeyEscape) {
        unfreeze();
    }
}

void FrmMain::freeze() {
    platform::Form& form = *mForm;
    platform::Point cursor = mCursor;
    platform::windows().GetCursorPos(cursor);
    const std::int32_t width = base::toInt32(form.ScaleWidth());
    const std::int32_t height = base::toInt32(form.ScaleHeight());
    if (width <= 0 || height <= 0) return;
    // What zoom 1 shows, so that every zoom can be shown from it; copied now, so that the screen
    // may change under it.
    const platform::PictureRef screen = capture::captureAroundCursor(cursor.x, cursor.y, width, height, 1);
    mFrozen = capture::stillCopy(screen, width, height);
    mFrozenCentre = cursor;
    mFrozenCorner = platform::Point{capture::viewEdge(cursor.x, width, 1), capture::viewEdge(cursor.y, height, 1)};
}

void FrmMain::unfreeze() { mFrozen.reset(); }

void FrmMain::printPixelTexts(const ViewSource& /*view*/) {
    platform::Form& form = *mForm;
    if (frozen()) {
        form.setCurrentX(2);
        form.setCurrentY(2);
        form.Print(getLang("Meg\xC3\xA1ll\xC3\xADtva", "Frozen"));
    }
}

}  // namespace app
