// The refresh tick: the screen around the cursor, enlarged over the whole client area, with the
// credit line and the key hint over it and the zoom factor in the caption.
#include <string>

#include "base/Arithmetic.h"
#include "app/FrmMain.h"
#include "capture/Capture.h"
#include "platform/Services.h"

namespace app {

void FrmMain::Timer1_Timer() {
    platform::Form& form = *mForm;
    if (form.WindowState() == platform::WINDOW_MINIMIZED) return;

    platform::windows().GetCursorPos(mCursor);

    // Kept in 32 bits: cursor coordinates and client sizes beyond 32767 occur on large desktops.
    const std::int32_t height = base::toInt32(form.ScaleHeight());
    const std::int32_t width = base::toInt32(form.ScaleWidth());
    const std::int32_t y = mCursor.y;
    const std::int32_t x = mCursor.x;

    {
        platform::PictureRef picture = capture::captureAroundCursor(x, y, width, height, mSize);
        const float sourceWidth = static_cast<float>(static_cast<double>(form.ScaleWidth()) / mSize);
        const float sourceHeight = static_cast<float>(static_cast<double>(form.ScaleHeight()) / mSize);
        form.PaintPicture(picture, 0, 0, form.ScaleWidth(), form.ScaleHeight(), 0, 0, sourceWidth, sourceHeight);
        // The picture, with its bitmap and palette, goes here.
    }

    form.setCurrentX(form.ScaleWidth() - 86);
    form.setCurrentY(form.ScaleHeight() - 14);
    form.Print(kCreditLine);

    form.setCurrentX(2);
    form.setCurrentY(form.ScaleHeight() - 14);
    form.Print(getLang("Nagy\xC3\xADt\xC3\xA1s", "Zoom") + ": [+] & [-]");

    form.setCaption(getLang("Nagy\xC3\xADt\xC3\xB3", "Magnifier") + " [" + std::to_string(mSize) + ":1]");
}

}  // namespace app
