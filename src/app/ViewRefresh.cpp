// The refresh tick: the screen around the cursor, enlarged over the whole client area, with the
// credit line and the key hint over it and the zoom factor in the caption.
#include <string>

#include "base/Arithmetic.h"
#include "app/FrmMain.h"
#include "capture/Capture.h"
#include "platform/Services.h"

namespace app {

FrmMain::ViewSource FrmMain::liveView(std::int32_t width, std::int32_t height) {
    ViewSource view;
    view.centre = mCursor;
    view.picture = capture::captureAroundCursor(mCursor.x, mCursor.y, width, height, mSize);
    view.centreX = mCursor.x - capture::viewEdge(mCursor.x, width, mSize);
    view.centreY = mCursor.y - capture::viewEdge(mCursor.y, height, mSize);
    view.pictureWidth = (width + mSize - 1) / mSize;
    view.pictureHeight = (height + mSize - 1) / mSize;
    return view;
}

FrmMain::ViewSource FrmMain::frozenView(std::int32_t width, std::int32_t height) const {
    // The part a live view at this zoom would show around the same centre, so that zooming while
    // frozen shows exactly what zooming at that pointer position would have shown.
    ViewSource view;
    view.picture = mFrozen;
    view.centre = mFrozenCentre;
    view.offsetX = capture::viewEdge(mFrozenCentre.x, width, mSize) - mFrozenCorner.x;
    view.offsetY = capture::viewEdge(mFrozenCentre.y, height, mSize) - mFrozenCorner.y;
    view.centreX = mFrozenCentre.x - mFrozenCorner.x;
    view.centreY = mFrozenCentre.y - mFrozenCorner.y;
    view.pictureWidth = mFrozenSize.x;
    view.pictureHeight = mFrozenSize.y;
    return view;
}

void FrmMain::Timer1_Timer() {
    platform::Form& form = *mForm;
    if (form.WindowState() == platform::WINDOW_MINIMIZED) return;

    platform::windows().GetCursorPos(mCursor);

    // Kept in 32 bits: cursor coordinates and client sizes beyond 32767 occur on large desktops.
    const std::int32_t height = base::toInt32(form.ScaleHeight());
    const std::int32_t width = base::toInt32(form.ScaleWidth());

    ViewSource view = frozen() ? frozenView(width, height) : liveView(width, height);
    {
        const float sourceWidth = static_cast<float>(static_cast<double>(form.ScaleWidth()) / mSize);
        const float sourceHeight = static_cast<float>(static_cast<double>(form.ScaleHeight()) / mSize);
        form.PaintPicture(view.picture, 0, 0, form.ScaleWidth(), form.ScaleHeight(), static_cast<float>(view.offsetX),
                          static_cast<float>(view.offsetY), sourceWidth, sourceHeight);
    }
    drawGrid(view);

    form.setCurrentX(form.ScaleWidth() - 86);
    form.setCurrentY(form.ScaleHeight() - 14);
    form.Print(kCreditLine);

    form.setCurrentX(2);
    form.setCurrentY(form.ScaleHeight() - 14);
    form.Print(getLang("Nagy\xC3\xADt\xC3\xA1s", "Zoom") + ": [+] & [-]");

    printPixelTexts(view);
    // The live picture, with its bitmap and palette, goes here; a frozen one stays.
    view.picture.reset();

    form.setCaption(getLang("Nagy\xC3\xADt\xC3\xB3", "Magnifier") + " [" + std::to_string(mSize) + ":1]");
}

}  // namespace app
