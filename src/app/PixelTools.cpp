// The pixel tools on extra keys: freezing the view, the colour of the pixel at its centre, the
// grid between enlarged pixels, moving the pointer by one pixel, and copying or saving the view.
#include <cstdio>
#include <string>

#include "app/FrmMain.h"
#include "base/Arithmetic.h"
#include "base/Warn.h"
#include "capture/Capture.h"
#include "capture/GdiResources.h"
#include "capture/PngEncoder.h"
#include "platform/Services.h"
#include "settings/RegistryStore.h"

namespace app {
namespace {

constexpr std::int16_t kKeyC = 'C';
constexpr std::int16_t kKeyG = 'G';
constexpr std::int16_t kKeyI = 'I';
constexpr std::int16_t kKeyS = 'S';
// The grid is drawn from this zoom on: below it, lines would hide most of each pixel.
constexpr std::int16_t kGridZoom = 4;
constexpr std::int32_t kLongNudge = 10;

// The colour of pixel (x, y) of a picture as 0x00BBGGRR, or CLR_INVALID.
std::uint32_t pictureColour(const platform::PictureRef& picture, std::int32_t x, std::int32_t y) {
    if (!picture) return platform::CLR_INVALID;
    auto& gdi = platform::graphics();
    const capture::WindowDC screen(platform::windows().GetDesktopWindow(), false);
    const capture::MemoryDC memory(screen.get());
    const platform::Handle previous = gdi.SelectObject(memory.get(), picture->bitmap());
    const std::uint32_t colour = gdi.GetPixel(memory.get(), x, y);
    gdi.SelectObject(memory.get(), previous);
    return colour;
}

// "#RRGGBB" of a 0x00BBGGRR colour.
std::string hexColour(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

}  // namespace

void FrmMain::pixelKey(std::int16_t keyCode, std::int16_t shift) {
    // Alt combinations keep the meaning the system gives them.
    if ((shift & platform::vbAltMask) != 0) return;
    const bool control = (shift & platform::vbCtrlMask) != 0;
    const bool withShift = (shift & platform::vbShiftMask) != 0;
    const std::int32_t step = withShift ? kLongNudge : 1;
    if (control) {
        if (keyCode == kKeyC && withShift) copyView();
        else if (keyCode == kKeyC) copyColour();
        else if (keyCode == kKeyS) saveView();
        return;
    }
    switch (keyCode) {
        case platform::VK_SPACE:
            if (frozen()) unfreeze();
            else freeze();
            break;
        case platform::VK_ESCAPE: unfreeze(); break;
        case kKeyI: toggleSetting(mPixelInfo, "PixelInfo"); break;
        case kKeyG: toggleSetting(mGrid, "PixelGrid"); break;
        case platform::VK_LEFT: nudge(-step, 0); break;
        case platform::VK_RIGHT: nudge(step, 0); break;
        case platform::VK_UP: nudge(0, -step); break;
        case platform::VK_DOWN: nudge(0, step); break;
        default: break;
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
    mFrozenSize = platform::Point{width, height};
}

void FrmMain::unfreeze() { mFrozen.reset(); }

FrmMain::ViewSource FrmMain::currentView() {
    const std::int32_t width = base::toInt32(mForm->ScaleWidth());
    const std::int32_t height = base::toInt32(mForm->ScaleHeight());
    if (frozen()) return frozenView(width, height);
    platform::windows().GetCursorPos(mCursor);
    return liveView(width, height);
}

void FrmMain::drawGrid(const ViewSource& view) {
    if (!mGrid || mSize < kGridZoom) return;
    platform::Form& form = *mForm;
    const float width = form.ScaleWidth();
    const float height = form.ScaleHeight();
    // Each enlarged pixel's first column and row; the source's corner is a whole pixel.
    for (std::int32_t x = mSize; x < width; x += mSize) form.Line(static_cast<float>(x), 0, static_cast<float>(x), height - 1, false);
    for (std::int32_t y = mSize; y < height; y += mSize) form.Line(0, static_cast<float>(y), width - 1, static_cast<float>(y), false);
    // Around the centre pixel a second box outside the grid's, so that it stands out.
    const auto left = static_cast<float>((view.centreX - view.offsetX) * mSize);
    const auto top = static_cast<float>((view.centreY - view.offsetY) * mSize);
    form.Line(left, top, left + mSize, top + mSize, true);
    form.Line(left - 1, top - 1, left + mSize + 1, top + mSize + 1, true);
}

float FrmMain::printPixelTexts(const ViewSource& view) {
    platform::Form& form = *mForm;
    float line = 2;
    if (frozen()) {
        form.setCurrentX(2);
        form.setCurrentY(line);
        form.Print(getLang("Meg\xC3\xA1ll\xC3\xADtva", "Frozen"));
        line += 14;
    }
    if (mPixelInfo) {
        const std::uint32_t colour = pictureColour(view.picture, view.centreX, view.centreY);
        std::string text = std::to_string(view.centre.x) + ", " + std::to_string(view.centre.y);
        if (colour != platform::CLR_INVALID) {
            text += "  " + hexColour(colour) + "  " + std::to_string(colour & 0xFF) + " " +
                    std::to_string((colour >> 8) & 0xFF) + " " + std::to_string((colour >> 16) & 0xFF);
        }
        form.setCurrentX(2);
        form.setCurrentY(line);
        form.Print(text);
        line += 14;
    }
    return line;
}

std::vector<std::uint32_t> FrmMain::enlargedView(const ViewSource& view, std::int32_t width,
                                                 std::int32_t height) const {
    std::vector<std::uint32_t> source(static_cast<std::size_t>(view.pictureWidth) * view.pictureHeight, 0u);
    if (view.picture && !source.empty()) {
        const capture::WindowDC screen(platform::windows().GetDesktopWindow(), false);
        platform::graphics().GetDIBits(screen.get(), view.picture->bitmap(), view.pictureWidth, view.pictureHeight,
                                       source.data());
    }
    // Each picture pixel an N x N block from the view's corner, black beyond the picture, as the
    // view's stretch paints it.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0u);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int32_t sy = view.offsetY + y / mSize;
        if (sy < 0 || sy >= view.pictureHeight) continue;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int32_t sx = view.offsetX + x / mSize;
            if (sx < 0 || sx >= view.pictureWidth) continue;
            pixels[static_cast<std::size_t>(y) * width + x] = source[static_cast<std::size_t>(sy) * view.pictureWidth + sx];
        }
    }
    return pixels;
}

void FrmMain::nudge(std::int32_t dx, std::int32_t dy) {
    platform::Point cursor{};
    if (!platform::windows().GetCursorPos(cursor)) return;
    if (platform::windows().SetCursorPos(cursor.x + dx, cursor.y + dy) || mNudgeRefusalTold) return;
    mNudgeRefusalTold = true;
    base::warn("this desktop lets no program move the pointer: the arrow keys do nothing here");
}

void FrmMain::copyColour() {
    std::uint32_t colour = platform::CLR_INVALID;
    if (frozen()) {
        const ViewSource view = currentView();
        colour = pictureColour(view.picture, view.centreX, view.centreY);
    } else {
        platform::Point cursor = mCursor;
        platform::windows().GetCursorPos(cursor);
        const platform::Handle desktop = platform::windows().GetDesktopWindow();
        colour = pictureColour(capture::captureWindowRect(desktop, false, cursor.x, cursor.y, 1, 1), 0, 0);
    }
    if (colour == platform::CLR_INVALID) return;
    platform::clipboard().SetText(hWnd(), hexColour(colour));
}

void FrmMain::copyView() {
    const std::int32_t width = base::toInt32(mForm->ScaleWidth());
    const std::int32_t height = base::toInt32(mForm->ScaleHeight());
    if (width <= 0 || height <= 0) return;
    const ViewSource view = currentView();
    platform::clipboard().SetImage(hWnd(), width, height, enlargedView(view, width, height));
}

void FrmMain::saveView() {
    const std::int32_t width = base::toInt32(mForm->ScaleWidth());
    const std::int32_t height = base::toInt32(mForm->ScaleHeight());
    if (width <= 0 || height <= 0) return;
    // The picture as it is when the user asks, not when the dialog closes.
    const std::vector<std::uint8_t> png = capture::encodePng(width, height, enlargedView(currentView(), width, height));
    platform::SaveFileName request;
    request.owner = hWnd();
    request.title = getLang("A n\xC3\xA9zet ment\xC3\xA9se", "Save the view");
    request.filterName = getLang("PNG k\xC3\xA9p", "PNG image");
    request.filterPattern = "*.png";
    request.defaultExt = "png";
    request.initialDir = platform::dialogs().PicturesFolder();
    request.file = "magnifier.png";
    if (!platform::dialogs().GetSaveFileName(request)) return;
    if (!capture::writeFile(request.file, png)) base::warn("cannot write " + request.file);
}

void FrmMain::loadPixelSettings() {
    mPixelInfo = settings::loadSetting(settings::kProgramKeyName, "PixelInfo", 0) != 0;
    mGrid = settings::loadSetting(settings::kProgramKeyName, "PixelGrid", 0) != 0;
}

void FrmMain::toggleSetting(bool& value, const char* name) {
    value = !value;
    settings::saveSetting(settings::kProgramKeyName, name, value ? 1 : 0);
}

}  // namespace app
