// The refresh tick: the screen around the cursor, enlarged over the whole client area, with the
// credit line and the key hint over it and the zoom factor in the caption.
#include <algorithm>
#include <string>

#include "base/Arithmetic.h"
#include "app/FrmMain.h"
#include "app/NoticeLines.h"
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

    printScreenNotice(printPixelTexts(view));
    // The live picture, with its bitmap and palette, goes here; a frozen one stays.
    view.picture.reset();

    form.setCaption(getLang("Nagy\xC3\xADt\xC3\xB3", "Magnifier") + " [" + std::to_string(mSize) + ":1]");
}

std::string FrmMain::screenNoticeText(platform::ScreenNotice notice) const {
    switch (notice) {
        case platform::ScreenNotice::none: return {};
        case platform::ScreenNotice::waitingForPermission:
            return getLang("V\xC3\xA1rakoz\xC3\xA1s a k\xC3\xA9perny\xC5\x91 megoszt\xC3\xA1s\xC3\xA1nak enged\xC3\xA9lyez\xC3\xA9s\xC3\xA9re",
                           "Waiting for permission to share the screen");
        case platform::ScreenNotice::sharingRefused:
            return getLang("A k\xC3\xA9perny\xC5\x91 megoszt\xC3\xA1sa elutas\xC3\xADtva: csak az X11-ablakok l\xC3\xA1tszanak",
                           "Screen sharing refused: only X11 windows are shown");
        case platform::ScreenNotice::sharingUnavailable:
            return getLang("Itt nincs k\xC3\xA9perny\xC5\x91megoszt\xC3\xA1s: csak az X11-ablakok l\xC3\xA1tszanak",
                           "No screen sharing here: only X11 windows are shown");
        case platform::ScreenNotice::sharingEnded:
            return getLang("A k\xC3\xA9perny\xC5\x91 megoszt\xC3\xA1sa v\xC3\xA9get \xC3\xA9rt; \xC3\xBAjra k\xC3\xA9rj\xC3\xBCk",
                           "Screen sharing ended; asking for it again");
        case platform::ScreenNotice::monitorNotShared:
            return getLang("Ez a monitor nincs megosztva", "This monitor is not shared");
    }
    return {};
}

void FrmMain::printScreenNotice(float top) {
    const std::string text = screenNoticeText(platform::screenStatus().notice());
    if (text.empty()) return;
    platform::Form& form = *mForm;
    // Between the top texts and the key hint at the bottom; two pixels in from either side.
    constexpr float kLineHeight = 14;
    const float room = form.ScaleHeight() - kLineHeight - top;
    const auto maxLines = static_cast<std::size_t>(std::max(1.0f, room / kLineHeight));
    const auto measure = [&form](const std::string& line) { return form.TextWidth(line); };
    for (const std::string& line : noticeLines(text, form.ScaleWidth() - 4, maxLines, measure)) {
        form.setCurrentX(2);
        form.setCurrentY(top);
        form.Print(line);
        top += kLineHeight;
    }
}

}  // namespace app
