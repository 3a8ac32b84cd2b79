#include "app/FrmMain.h"

#include "base/Arithmetic.h"
#include "settings/Placement.h"
#include "settings/RegistryStore.h"
#include "winsvc/MouseWheel.h"
#include "winsvc/clsStyle.h"

namespace app {

FrmMain::FrmMain(platform::FormToolkit& toolkit) {
    platform::FormDesign design;
    design.caption = "Magnifier";
    design.clientWidth = 200;
    design.clientHeight = 200;
    design.timerIntervalMs = 10;
    mForm = toolkit.createForm(design, *this);
}

FrmMain::~FrmMain() {
    // The window goes with the form, and the wheel hook with the window.
    mForm.reset();
    winsvc::forgetWheelHook();
}

void FrmMain::start() { mForm->loadAndShow(); }

platform::Handle FrmMain::hWnd() const { return mForm->hWnd(); }

std::string FrmMain::getLang(const std::string& hu, const std::string& en) const { return AppLang != 0 ? en : hu; }

void FrmMain::setLang(std::int32_t language) {
    settings::saveLanguage(language);
    AppLang = language;
}

void FrmMain::keyZoom(std::int16_t keyCode, std::int16_t /*shift*/) {
    if (keyCode == platform::VK_ADD) {
        stepZoom(+1);
    } else if (keyCode == platform::VK_SUBTRACT) {
        stepZoom(-1);
    }
}

void FrmMain::Form_Load() {
    // 1. The window's initial outer size is its minimum.
    minWidth = base::twipsToPixels(mForm->Width());
    minHeight = base::twipsToPixels(mForm->Height());
    // 2. The family's language, written straight back.
    setLang(settings::loadLanguage());
    // 3. Zoom.
    mSize = settings::restoreZoom();
    // 4. Saved size, bounded by the monitor the saved placement lies on.
    const settings::SavedGeometry saved = settings::loadGeometry();
    const platform::Rect area = settings::placementArea(saved, *mForm, minWidth, minHeight);
    settings::restoreSize(saved, area, minWidth, minHeight, winWidth, winHeight);
    // 5. The minimum goes to twips before any size is written: writing the size raises the
    //    resize handler at once, and it compares in twips.
    minWidth = base::mul32(minWidth, base::kTwipsPerPixel);
    minHeight = base::mul32(minHeight, base::kTwipsPerPixel);
    // 6. Always set, so a first start rounds the initial size to whole pixels.
    mForm->setWidth(base::pixelsToTwips(winWidth));
    mForm->setHeight(base::pixelsToTwips(winHeight));
    // 7. Saved position, bounded to the same monitor.
    settings::restorePosition(*mForm, saved, area, winWidth, winHeight, winLeft, winTop);
    // 8. The wheel zooms.
    winsvc::hookWheel(mForm->hWnd(), *this);
    // 9. Always on top.
    mStyle = std::make_unique<winsvc::clsStyle>();
    mStyle->setClient(mForm.get());
    mStyle->setTopMost(true);
    // 10. The pixel tools' switches.
    loadPixelSettings();
}

void FrmMain::Form_Resize() {
    // A maximised window is sized by the window manager, whose frame is then thinner: holding
    // it to the normal frame's minimum would undo the maximise. The rule applies again once the
    // window is restored.
    const int state = mForm->WindowState();
    if (state == platform::WINDOW_MINIMIZED || state == platform::WINDOW_MAXIMIZED) return;
    // Each write raises this handler again, nested; that run already applies the rule, so each
    // dimension is written at most once.
    if (mForm->Width() < static_cast<float>(minWidth)) mForm->setWidth(static_cast<float>(minWidth));
    if (mForm->Height() < static_cast<float>(minHeight)) mForm->setHeight(static_cast<float>(minHeight));
}

void FrmMain::Form_Unload(std::int16_t& /*cancel*/) {
    settings::savePlacement(*mForm, mSize);
    mStyle.reset();
    // The hook stays on the window until it is destroyed, but there is nothing left to zoom.
    winsvc::releaseWheelZoom();
}

void FrmMain::Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) {
    pixelKey(keyCode, shift);
    keyZoom(keyCode, shift);
}

void FrmMain::Form_MouseUp(std::int16_t button, std::int16_t /*shift*/, float /*x*/, float /*y*/) {
    if (button != platform::vbRightButton) return;
    menu::runContextCommand(*this, menu::showContextMenu(*this));
}

}  // namespace app
