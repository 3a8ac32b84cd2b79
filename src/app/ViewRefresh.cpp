// The refresh tick: the screen around the cursor, enlarged over the whole client area, with the
// credit line and the key hint over it and the zoom factor in the caption.
#include <string>

#include "app/Arithmetic.h"
#include "app/FrmMain.h"
#include "capture/Capture.h"
#include "platform/Services.h"

namespace app {

void FrmMain::Timer1_Timer() {
    platform::Form& form = *form_;
    if (form.WindowState() == platform::WINDOW_MINIMIZED) return;

    platform::windows().GetCursorPos(cursor_);

    // Kept in 32 bits: cursor coordinates and client sizes beyond 32767 occur on large desktops.
    const std::int32_t height = toInt32(form.ScaleHeight());
    const std::int32_t width = toInt32(form.ScaleWidth());
    const std::int32_t y = cursor_.y;
    const std::int32_t x = cursor_.x;

    {
        platform::PictureRef picture = capture::captureAroundCursor(x, y, width, height);
        const float sourceWidth = static_cast<float>(static_cast<double>(form.ScaleWidth()) / size_);
        const float sourceHeight = static_cast<float>(static_cast<double>(form.ScaleHeight()) / size_);
        form.PaintPicture(picture, 0, 0, form.ScaleWidth(), form.ScaleHeight(), 0, 0, sourceWidth, sourceHeight);
        // The picture, with its bitmap and palette, goes here.
    }

    form.setCurrentX(form.ScaleWidth() - 86);
    form.setCurrentY(form.ScaleHeight() - 14);
    form.Print(kCreditLine);

    form.setCurrentX(2);
    form.setCurrentY(form.ScaleHeight() - 14);
    form.Print(getLang("Nagy\xC3\xADt\xC3\xA1s", "Zoom") + ": [+] & [-]");

    form.setCaption(getLang("Nagy\xC3\xADt\xC3\xB3", "Magnifier") + " [" + std::to_string(size_) + ":1]");
}

}  // namespace app
