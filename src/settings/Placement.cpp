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

void restoreSize(std::int32_t minWidth, std::int32_t minHeight, std::int32_t& winWidth, std::int32_t& winHeight) {
    // Stored values are 0..65535 and kept whole: a width beyond 32767 is bounded by the screen
    // like any other instead of failing to fit.
    winWidth = loadSetting(kProgramKeyName, "WindowWidth", kMissing);
    winHeight = loadSetting(kProgramKeyName, "WindowHeight", kMissing);
    if (winWidth == kMissing || winHeight == kMissing) {
        winWidth = minWidth;
        winHeight = minHeight;
        return;
    }
    winWidth = clampLong(minWidth, screenWidthPixels(), winWidth);
    winHeight = clampLong(minHeight, screenHeightPixels(), winHeight);
}

void restorePosition(platform::Form& form, std::int32_t winWidth, std::int32_t winHeight, std::int32_t& winLeft,
                     std::int32_t& winTop) {
    winLeft = clampLong(0, kMissing, loadSetting(kProgramKeyName, "WindowLeft", kMissing));
    winTop = clampLong(0, kMissing, loadSetting(kProgramKeyName, "WindowTop", kMissing));
    if (winLeft == kMissing || winTop == kMissing) return;
    const std::int32_t left = clampLong(0, base::sub32(screenWidthPixels(), winWidth), winLeft);
    form.setLeft(base::pixelsToTwips(left));
    const std::int32_t top = clampLong(0, base::sub32(screenHeightPixels(), winHeight), winTop);
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
