#include "settings/Placement.h"

#include "base/Arithmetic.h"
#include "base/Zoom.h"
#include "platform/Services.h"
#include "settings/RegistryStore.h"

namespace settings {

std::int32_t screenWidthPixels() { return base::twipsToPixels(platform::toolkit().ScreenWidth()); }
std::int32_t screenHeightPixels() { return base::twipsToPixels(platform::toolkit().ScreenHeight()); }

std::int16_t restoreZoom() {
    return static_cast<std::int16_t>(
        clampLong(base::kMinZoom, base::kMaxZoom, loadSetting(kProgramKeyName, "Zoom", 2)));
}

SavedGeometry loadGeometry() {
    SavedGeometry saved;
    // Stored sizes are 0..65535 and kept whole: a width beyond 32767 is bounded like any other
    // instead of failing to fit.
    saved.width = loadSetting(kProgramKeyName, "WindowWidth", kMissing);
    saved.height = loadSetting(kProgramKeyName, "WindowHeight", kMissing);
    saved.left = clampLong(0, kMissing, loadSetting(kProgramKeyName, "WindowLeft", kMissing));
    saved.top = clampLong(0, kMissing, loadSetting(kProgramKeyName, "WindowTop", kMissing));
    return saved;
}

platform::Rect placementArea(const SavedGeometry& saved, const platform::Form& form, std::int32_t minWidth,
                             std::int32_t minHeight) {
    // Without a saved position the window stays where it was made: the monitor it is on.
    const bool onSaved = saved.hasPosition();
    const std::int32_t left = onSaved ? saved.left : base::twipsToPixels(form.Left());
    const std::int32_t top = onSaved ? saved.top : base::twipsToPixels(form.Top());
    const std::int32_t width = onSaved && saved.hasSize() ? saved.width
                               : onSaved                  ? minWidth
                                                          : base::twipsToPixels(form.Width());
    const std::int32_t height = onSaved && saved.hasSize() ? saved.height
                                : onSaved                  ? minHeight
                                                           : base::twipsToPixels(form.Height());
    const platform::Rect rect{left, top, base::add32(left, width), base::add32(top, height)};
    platform::WindowSystem& windows = platform::windows();
    platform::MonitorInfo monitor;
    if (windows.GetMonitorInfo(windows.MonitorFromRect(rect, platform::MONITOR_DEFAULTTOPRIMARY), monitor)) {
        return monitor.work;
    }
    // A system that tells of no monitor: the screen.
    return platform::Rect{0, 0, screenWidthPixels(), screenHeightPixels()};
}

void restoreSize(const SavedGeometry& saved, const platform::Rect& area, std::int32_t minWidth, std::int32_t minHeight,
                 std::int32_t& winWidth, std::int32_t& winHeight) {
    if (!saved.hasSize()) {
        winWidth = minWidth;
        winHeight = minHeight;
        return;
    }
    // The upper bound is applied last: an area smaller than the minimum wins, and the resize
    // rule then brings the window back to its minimum.
    winWidth = clampLong(minWidth, base::sub32(area.right, area.left), saved.width);
    winHeight = clampLong(minHeight, base::sub32(area.bottom, area.top), saved.height);
}

void restorePosition(platform::Form& form, const SavedGeometry& saved, const platform::Rect& area,
                     std::int32_t winWidth, std::int32_t winHeight, std::int32_t& winLeft, std::int32_t& winTop) {
    winLeft = saved.left;
    winTop = saved.top;
    if (!saved.hasPosition()) return;
    const std::int32_t left = clampLong(area.left, base::sub32(area.right, winWidth), winLeft);
    form.setLeft(base::pixelsToTwips(left));
    const std::int32_t top = clampLong(area.top, base::sub32(area.bottom, winHeight), winTop);
    form.setTop(base::pixelsToTwips(top));
}

void savePlacement(const platform::Form& form, std::int16_t zoom) {
    // Two copies closing at once: the last one's placement wins whole.
    const WriteBatch batch;
    saveSetting(kProgramKeyName, "Zoom", zoom);
    saveSetting(kProgramKeyName, "WindowLeft", clampLong(0, kMissing, base::twipsToPixels(form.Left())));
    saveSetting(kProgramKeyName, "WindowTop", clampLong(0, kMissing, base::twipsToPixels(form.Top())));
    saveSetting(kProgramKeyName, "WindowWidth", base::twipsToPixels(form.Width()));
    saveSetting(kProgramKeyName, "WindowHeight", base::twipsToPixels(form.Height()));
}

}  // namespace settings
